// dictd dictionaries: the .index reader (binary search over the bytes), the
// dictzip and plain data reader, and the entry splitter. The input is an
// index, the marker line "--dict--", then the data; without the marker the
// same bytes serve as both.
#include "lookup/Dictionary.h"
#include "tests/fuzz/FuzzTarget.h"

TAV_FUZZ_TARGET(dictd) {
    using namespace tav;
    const std::string input = tavfuzz::Bytes(data, size);
    const std::string marker = "\n--dict--\n";
    const size_t split = input.find(marker);
    const std::string index = split == std::string::npos ? input : input.substr(0, split + 1);
    const std::string dict = split == std::string::npos ? input : input.substr(split + marker.size());

    ParseDictEntry(dict);
    std::string error;
    TDictData reader;
    if (reader.OpenBytes(dict, error)) {
        std::string text;
        const uint64_t n = reader.Size();
        for (uint64_t at : {uint64_t(0), n / 3, n / 2, n ? n - 1 : 0, n, n + 1})
            for (uint64_t length : {uint64_t(1), uint64_t(100), uint64_t(70000), n})
                reader.Read(at, length, text, error);
    }
    TDictionary dictionary;
    if (!dictionary.OpenBytes(index, dict, error)) return;
    for (const char* word : {"maison", "à", "", " ", "00databaseutf8", "ZZZ"}) dictionary.Lookup(word, error);
    // The headwords of the first lines.
    size_t p = 0;
    for (int line = 0; line < 50 && p < index.size(); ++line) {
        const size_t end = std::min(index.find('\n', p), index.size());
        dictionary.Lookup(index.substr(p, std::min(index.find('\t', p), end) - p), error);
        p = end + 1;
    }
}
