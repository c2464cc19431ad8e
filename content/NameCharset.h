#pragma once
// Learner names are kept as bytes in the code page of the Windows character set
// configured for the help language (the [Name] "Charset" keys): 161 is Greek,
// 204 Cyrillic, 238 Central European and so on. Anything else, and the
// multi-byte Far-Eastern sets, fall back to Windows-1252.
#include <QString>
#include <string>

namespace tav {

// The code page name QStringDecoder takes for a Windows character-set number,
// or nullptr when names are Windows-1252.
const char* CodePageForCharset(int charset);

QString DecodeName(const std::string& bytes, int charset);
// Characters the code page cannot hold become '?'.
std::string EncodeName(const QString& text, int charset);
bool CanEncodeName(const QString& text, int charset);

} // namespace tav
