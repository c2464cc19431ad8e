// The learner's word list as stored in the profile: one entry decoded and
// encoded back, and the list read from a section whose block keys hold the
// input split at newlines ("Blocks" is the first line), then a word added
// and one removed, so packing and rewriting run over damaged blocks too.
#include "learners/MyWords.h"
#include "tests/fuzz/FuzzTarget.h"

#include <map>

TAV_FUZZ_TARGET(mywords) {
    using namespace tav;
    const std::string input = tavfuzz::Bytes(data, size);
    TMyWord word;
    if (DecodeMyWord(input, word)) {
        TMyWord again;
        if (!DecodeMyWord(EncodeMyWord(word), again) || again.Word != word.Word || again.Line != word.Line) __builtin_trap();
    }
    std::map<std::string, std::string> profile;
    size_t p = 0;
    for (int n = 0; p <= input.size() && n < 64; ++n) {
        const size_t end = std::min(input.find('\n', p), input.size());
        profile[n == 0 ? "Blocks" : "Block" + std::to_string(n)] = input.substr(p, end - p);
        p = end + 1;
    }
    TMyWords list(
        "Words Student Fuzz", [&](const std::string&, const std::string& key) { return profile[key]; },
        [&](const std::string&, const std::string& key, const std::string& value) { profile[key] = value; });
    TMyWord added;
    added.Word = "maison";
    added.Line = "Rentrons à la maison.";
    list.Add(added);
    if (list.Size() > 0) list.Remove(0);
    list.Load();
}
