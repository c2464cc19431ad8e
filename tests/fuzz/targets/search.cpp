// Search.txt: the word search's list and its whole-word matching.
#include "content/OurUtils.h"
#include "content/SearchList.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(search) {
    using namespace tav;
    std::vector<std::string> list;
    try {
        list = LoadSearchList(tavfuzz::ScratchFile(data, size, "Search.txt"));
    } catch (const EProgramError&) {
        return;
    }
    std::vector<TMovieEntry> entries(2);
    entries[0].LineText = "It's the dog, the dog!";
    entries[1].LineText = list.empty() ? std::string() : list.back();
    for (const std::string& entry : list) {
        const std::string word = SearchWordOf(entry);
        FindMatches(entries, word);
        for (const std::string& other : list) LineHoldsWord(other, word);
        if (list.size() > 64) break; // quadratic: keep the executions fast
    }
}
