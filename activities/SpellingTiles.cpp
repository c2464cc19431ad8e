#include "activities/SpellingTiles.h"

#include "content/OurUtils.h"

namespace tav {

std::array<char, kSpellTiles> DealTiles(const std::string& word, const std::string& letters) {
    std::array<char, kSpellTiles> tiles{};
    std::string places = "0102030405060708091011121314151617";
    std::string pool = letters;
    for (char c : word) {
        const int t = StrToIntDef(TakeRandomChunk(places, 2), 0);
        if (t < 1 || t > kSpellTiles) break; // a word longer than the tiles cannot happen
        tiles[size_t(t - 1)] = c;
        const size_t at = pool.find(c);
        if (at != std::string::npos) pool.erase(at, 1);
    }
    while (!places.empty()) {
        const int t = StrToIntDef(TakeRandomChunk(places, 2), 0);
        const std::string c = TakeRandomChunk(pool, 1);
        if (t >= 1 && t <= kSpellTiles && !c.empty()) tiles[size_t(t - 1)] = c[0];
    }
    return tiles;
}

} // namespace tav
