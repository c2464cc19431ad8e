#pragma once
// Learner names. Inside the program a name is UTF-8 like every text; in a
// profile file it keeps the form earlier versions of the program wrote: bytes
// in the code page of the Windows character set configured for the help
// language (the [Name] "Charset" keys): 161 is Greek, 204 Cyrillic, 238
// Central European and so on; anything else, and the multi-byte Far-Eastern
// sets, mean Windows-1252.
//
// How a profile entry says what it is: a character the code page cannot hold
// is written as a backslash, its code point in decimal and a semicolon
// ("Иван" under Windows-1252 is "\1048;\1074;\1072;\1085;"); every other
// character is its code-page byte, exactly as before. Such an escape is only
// read as one when it is written that one way (no leading zero) and names a
// character the code page cannot hold; anything else is plain code-page text.
// New names never hold a backslash, so no name written as plain bytes looks
// like an escape, and the forms of two different names always differ, in
// any letter case (the escape has no letters). A program that knows nothing
// of the escape shows the name as that ASCII text and keeps its record.
#include <string>

namespace tav {

// The code page name QStringDecoder takes for a Windows character-set number,
// or nullptr when names are Windows-1252.
const char* CodePageForCharset(int charset);

// A name as the profile keeps it, and back. NameFromProfile accepts any
// bytes, and ProfileFormOfName(NameFromProfile(b, c), c) == b for all of them,
// so a record read under one character set is written back to the same place.
std::string ProfileFormOfName(const std::string& utf8Name, int charset);
std::string NameFromProfile(const std::string& stored, int charset);
// Whether every character of the name has a byte in the code page (the
// profile then holds it as earlier versions did).
bool IsCodePageName(const std::string& utf8Name, int charset);

// Characters a typed name may hold: letters, marks and digits of any script,
// blanks, punctuation and symbols. Control characters, line and paragraph
// separators, direction overrides and other invisible format characters
// (the zero-width joiner and non-joiner, which some scripts need, excepted),
// private-use, unassigned and surrogate code points, and U+FFFD are refused.
bool IsNameCodePoint(char32_t c);
// Characters a name never holds because the profile needs them: ']' ends the
// section of the learner's results, '\' starts an escape.
bool IsProfileReserved(char32_t c);

} // namespace tav
