#include "activities/SpellingTiles.h"

#include "content/OurUtils.h"
#include "content/UnicodeText.h"

#include <algorithm>

namespace tav {

TTileLetters DealTiles(const std::string& word, const std::string& letters) {
    TTileLetters tiles{};
    std::string places = "0102030405060708091011121314151617";
    TStringList pool = Graphemes(letters);
    for (const std::string& c : Graphemes(word)) {
        const int t = StrToIntDef(TakeRandomChunk(places, 2), 0);
        if (t < 1 || t > kSpellTiles) break; // a word longer than the tiles cannot happen
        tiles[size_t(t - 1)] = c;
        const auto at = std::find(pool.begin(), pool.end(), c);
        if (at != pool.end()) pool.erase(at);
    }
    while (!places.empty()) {
        const int t = StrToIntDef(TakeRandomChunk(places, 2), 0);
        if (pool.empty()) continue;
        // The same draw as taking one character out of a string of them.
        const size_t k = size_t(Random(int(pool.size())));
        const std::string c = pool[k];
        pool.erase(pool.begin() + std::ptrdiff_t(k));
        if (t >= 1 && t <= kSpellTiles) tiles[size_t(t - 1)] = c;
    }
    return tiles;
}

} // namespace tav
