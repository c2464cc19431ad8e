// words.txt: the missing-word list, filtered, and the wrong choices drawn
// from it; the entries also go through the gap makers, on a Mac OS Roman and
// on a UTF-8 disc, and with ICU's words of a language written without spaces.
#include <random>

#include "activities/MissingWords.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(words) {
    using namespace tav;
    TTargetIndex filter;
    filter.FilterWords = {"damn", "bloody hell"};
    filter.Filter1 = true;
    // The input's size picks the disc's encoding and language, so both paths see every input over a run.
    SetContentEncoding(size % 2 ? TContentEncoding::Utf8 : TContentEncoding::MacRoman);
    SetTextLanguage(size % 3 == 0 ? "ja" : size % 3 == 1 ? "tr" : "fr");
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
        // Every gap hides a whole candidate: the line stays valid UTF-8.
        if (!IsValidUtf8(line)) __builtin_trap();
    }
}
