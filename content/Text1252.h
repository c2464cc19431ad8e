#pragma once
// Windows-1252 text: case mapping and the one conversion to Unicode used where
// text is drawn.
#include <QString>
#include <string>

namespace tav {

unsigned char LowerChar1252(unsigned char c);
unsigned char UpperChar1252(unsigned char c);
std::string LowerCase1252(const std::string& text);
std::string UpperCase1252(const std::string& text);
bool SameText(const std::string& a, const std::string& b); // ASCII-case-insensitive

QString ToQString(const std::string& text1252);
// Characters with no Windows-1252 code become '?'.
std::string FromQString(const QString& text);

} // namespace tav
