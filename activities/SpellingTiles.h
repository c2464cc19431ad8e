#pragma once
// The dealing of the spelling activity's seventeen letter tiles for a word.
#include <array>
#include <string>

#include "content/SpellingTable.h"

namespace tav {

constexpr int kSpellTiles = 17;
constexpr int kSpellMaxLetters = 9;

// The tiles' letters, [0] for tile 1: every letter of the word on a tile of
// its own at a place drawn from a shuffle bag, the other places with letters
// drawn without repetition from the alphabet after one occurrence of each of
// the word's letters was taken out. Letters are grapheme clusters (UTF-8).
// Uses the program's random draws. Tiles left over when the alphabet runs out
// carry an empty letter.
using TTileLetters = std::array<std::string, kSpellTiles>;
TTileLetters DealTiles(const std::string& word, const std::string& letters);

} // namespace tav
