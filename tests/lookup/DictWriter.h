#pragma once
// Writes small dictd dictionaries for the tests: entries to a .index (sorted
// by headword bytes, as dictfmt sorts a UTF-8 dictionary) and the text to a
// dictzip .dict.dz with a chosen chunk length: one deflate stream fully
// flushed at each chunk's end, its final block after the last chunk.
#include <cstdint>
#include <string>
#include <vector>

namespace tavtest {

struct TWrittenEntry {
    std::string Headword; // as the index holds it (lower case, no punctuation)
    std::string Text;
    uint64_t Offset = 0, Length = 0; // filled by MakeDictionary
};

struct TWrittenDictionary {
    std::string Index, Text, DictZip;
    std::vector<uint16_t> ChunkSizes; // compressed
};

// The text of the entries one after another, the index over it (with the
// 00-database-utf8 entry), and the text compressed in chunks of chunkLength.
TWrittenDictionary MakeDictionary(std::vector<TWrittenEntry>& entries, unsigned chunkLength);

// The dictzip file of text: gzip with the RA extra field, a file name, and
// the CRC and size trailer.
std::string DictZip(const std::string& text, unsigned chunkLength, std::vector<uint16_t>* chunkSizes = nullptr);

} // namespace tavtest
