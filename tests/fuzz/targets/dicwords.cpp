// DicWords.txt: the picture dictionary's entries and their file names.
#include "content/DictionaryWords.h"
#include "content/OurUtils.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(dicwords) {
    using namespace tav;
    std::vector<std::string> words;
    try {
        words = LoadDictionaryWords(tavfuzz::ScratchFile(data, size, "DicWords.txt"));
    } catch (const EProgramError&) {
        return;
    }
    for (size_t i = 0; i < words.size() && i < 20; ++i) {
        DictionaryPicture("/t", int(i));
        DictionarySound("/t", int(i));
        if (words[i].empty()) __builtin_trap(); // empty lines are no entries
    }
}
