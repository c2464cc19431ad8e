#pragma once
// The spelling table (Spelinfo.txt in the content root) that gives each
// target language its alphabet of letter tiles and its picture folder, and
// the names of the pictures a letter needs.
#include <string>
#include <vector>

namespace tav {

// One language's entry of Spelinfo.txt.
struct TSpellingInfo {
    std::string Letters;      // the alphabet as the tiles carry it: one character per grapheme
    std::string FolderSuffix; // the spelling folder is root + "\shared\spell_" + suffix
    int LineNumber = 0;       // the 1-based line that gave them; 0: no line for the language
};

// Reads the table (content text, "number letters suffix" per line, fields
// separated by single spaces). The last line whose number is `language`
// wins. The reader's error passes on when the file cannot be read.
TSpellingInfo LoadSpellingInfo(const std::string& fileName, int language);

// A letter's code in the picture names: its Mac OS Roman code in decimal
// ("97" for a, "142" for e acute); a letter Mac OS Roman lacks (any other
// script, or several code points) is "U" and its code points in hexadecimal
// joined by "_" ("U43A" for Cyrillic k, "U304B_3099" for kana ga).
std::string TileCode(const std::string& letter);

// The pictures of one letter in the spelling folder: the practice and test
// tiles, the floating tile of a drag and the filled slot.
std::vector<std::string> LetterPictureNames(const std::string& letter);

} // namespace tav
