// words.txt: the missing-word list, filtered, and the wrong choices drawn
// from it; the entries also go through the gap makers.
#include <random>

#include "activities/MissingWords.h"
#include "content/OurUtils.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(words) {
    using namespace tav;
    TTargetIndex filter;
    filter.FilterWords = {"damn", "bloody hell"};
    filter.Filter1 = true;
    std::vector<std::string> list;
    try {
        list = LoadWordList(tavfuzz::ScratchFile(data, size, "words.txt"), filter);
    } catch (const EProgramError&) {
        return;
    }
    std::mt19937 rng(size);
    auto random = [&](int n) { return n > 0 ? int(rng() % unsigned(n)) : 0; };
    const std::string hidden = list.empty() ? "word" : list.front();
    const auto wrong = DrawWrongChoices(list, hidden, 9, random);
    if (!wrong.empty() && wrong.size() != 9) __builtin_trap();
    for (size_t i = 0; i < list.size() && i < 16; ++i) {
        std::string line = list[i];
        MakeGap(line, random);
        line = list[i];
        MakeSpellingGap(line, "abcdefghijklmnopqrstuvwxyz\xC3\xA9", random);
    }
}
