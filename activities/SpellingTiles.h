#pragma once
// The text side of the spelling activity: the spelling table that gives each
// target language its alphabet of tiles and its picture folder, the names of
// the tile pictures, and the dealing of the seventeen tiles for a word.
#include <array>
#include <string>

namespace tav {

constexpr int kSpellTiles = 17;
constexpr int kSpellMaxLetters = 9;

// One language's entry of Spelinfo.txt.
struct TSpellingInfo {
    std::string Letters;      // the alphabet as the tiles carry it (Windows-1252)
    std::string FolderSuffix; // the spelling folder is root + "\shared\spell_" + suffix
    int LineNumber = 0;       // the 1-based line that gave them; 0: no line for the language
};

// Reads the table (Mac text, "number letters suffix" per line, fields
// separated by single spaces). The last line whose number is `language`
// wins. The reader's error passes on when the file cannot be read.
TSpellingInfo LoadSpellingInfo(const std::string& fileName, int language);

// A letter's code in the picture names: its Mac OS Roman code in decimal
// ("97" for a, "142" for é).
std::string TileCode(char letter);

// The tiles' letters, [0] for tile 1: every letter of the word on a tile of
// its own at a place drawn from a shuffle bag, the other places with letters
// drawn without repetition from the alphabet after one occurrence of each of
// the word's letters was taken out. Uses the program's random draws. Tiles
// left over when the alphabet runs out carry '\0'.
std::array<char, kSpellTiles> DealTiles(const std::string& word, const std::string& letters);

} // namespace tav
