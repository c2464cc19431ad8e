#pragma once
// The program holds every text as UTF-8 in std::string. This module turns the
// bytes of content files into that form (Mac OS Roman, or UTF-8 where the disc
// says so), and gives the Unicode-aware pieces the screens need: case mapping
// by the disc's language, user-perceived characters (grapheme clusters), and
// words for languages that write without spaces (ICU's word break iterator).
#include <QString>

#include <string>
#include <vector>

namespace tav {

using TStringList = std::vector<std::string>;

// ---- conversions ---------------------------------------------------------------
std::string Utf8From1252(const std::string& bytes);
// Characters Windows-1252 cannot hold become '?'; *lossless says whether any did.
std::string Utf8To1252(const std::string& utf8, bool* lossless = nullptr);
bool IsValidUtf8(const std::string& bytes);
// Invalid sequences become U+FFFD, so what follows can rely on valid UTF-8.
std::string ValidUtf8(const std::string& bytes);
// The code points of a UTF-8 text, and back.
std::u32string CodePoints(const std::string& utf8);
std::string Utf8FromCodePoints(const std::u32string& text);
std::string Utf8Char(char32_t codePoint);
// The code point that starts at byte offset at, or that ends just before it
// (0 outside the text).
char32_t CodePointAt(const std::string& utf8, size_t at);
char32_t CodePointBefore(const std::string& utf8, size_t at);

// Where text meets Qt. Invalid UTF-8 decodes to U+FFFD.
QString ToQString(const std::string& utf8);
std::string FromQString(const QString& text);
// ASCII-case-insensitive equality, for keys, options and names of files.
bool SameText(const std::string& a, const std::string& b);
// ASCII letters lower-cased, every other byte kept where it is: for names of
// files and keys, which must not follow the disc's language (a Turkish "I"
// lower-cases to a dotless i).
std::string AsciiLower(const std::string& text);

// ---- content text ---------------------------------------------------------------
// A disc whose Target.txt has the line "TextEncoding|UTF-8" holds all its
// text files in UTF-8; otherwise they are Mac OS Roman, except single files
// that begin with a UTF-8 byte-order mark.
extern const char* const kTextEncodingKey; // "TextEncoding"
enum class TContentEncoding { MacRoman, Utf8 };
TContentEncoding EncodingDeclaredBy(const TStringList& targetLines);
// The loaded disc's encoding; content readers follow it.
void SetContentEncoding(TContentEncoding encoding);
TContentEncoding ContentEncoding();

// Mac OS Roman through the program's Mac table, as UTF-8.
std::string DecodeMacText(const std::string& bytes);
// A field of a content file in the loaded disc's encoding.
std::string DecodeContentText(const std::string& bytes);
// All lines of a content file, decoded: a leading UTF-8 byte-order mark makes
// the file UTF-8 whatever the disc says. Raises the reader's error when the
// file cannot be opened.
TStringList ReadContentLines(const std::string& file);
// The same rules for a text already in memory.
TStringList DecodeContentLines(const std::string& fileBytes);

// ---- language -------------------------------------------------------------------
// The ISO 639 code of the language the loaded disc teaches ("fr", "ja", "tr").
// Case mapping and word breaking follow it.
void SetTextLanguage(const std::string& isoCode);
const std::string& TextLanguage();
// Japanese, Chinese, Thai, Lao, Khmer, Burmese: words are not separated by spaces.
bool WritesWithoutSpaces(const std::string& isoCode);
bool TextLanguageWritesWithoutSpaces();

// ---- case -----------------------------------------------------------------------
// Full Unicode case mapping in the text language (Turkish and Azeri dotted and
// dotless i; German sharp s stays as it is when lower-casing).
std::string LowerText(const std::string& utf8);
std::string UpperText(const std::string& utf8);
// Equal after case folding in the text language.
bool SameTextIgnoringCase(const std::string& a, const std::string& b);

// ---- characters and words ------------------------------------------------------
// User-perceived characters: "é" written as e + combining accent is one, and
// so is a Japanese kana with its voicing mark.
TStringList Graphemes(const std::string& utf8);
int GraphemeCount(const std::string& utf8);

// A word of a line: byte offsets into the UTF-8 text.
struct TWordSpan {
    size_t Begin = 0, End = 0;
};
// The words of a line by ICU's word break rules for the text language
// (dictionary-based for Japanese, Chinese and Thai). Punctuation and spaces
// are not words; numbers are.
std::vector<TWordSpan> BreakWords(const std::string& utf8);
// True when byte offset at of the text is the start or end of a word by the
// same rules (the ends of the text are).
bool IsWordBoundary(const std::string& utf8, size_t at);
// True when the code point is a letter, a mark or a digit (any script).
bool IsWordCodePoint(char32_t c);

} // namespace tav
