#include "tests/lookup/DictWriter.h"

#include "lookup/DictdIndex.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace tavtest {

namespace {

void Put16(std::string& s, unsigned v) {
    s += char(v & 0xff);
    s += char((v >> 8) & 0xff);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xffff);
    Put16(s, v >> 16);
}

} // namespace

std::string DictZip(const std::string& text, unsigned chunkLength, std::vector<uint16_t>* chunkSizes) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) throw std::runtime_error("deflateInit2");
    std::string body;
    std::vector<uint16_t> sizes;
    const size_t chunks = std::max<size_t>(1, (text.size() + chunkLength - 1) / chunkLength);
    for (size_t i = 0; i < chunks; ++i) {
        const size_t begin = i * chunkLength, length = std::min<size_t>(chunkLength, text.size() - begin);
        std::string out(deflateBound(&z, length) + 64, '\0');
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data() + begin));
        z.avail_in = static_cast<uInt>(length);
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = static_cast<uInt>(out.size());
        deflate(&z, Z_FULL_FLUSH);
        out.resize(out.size() - z.avail_out);
        sizes.push_back(static_cast<uint16_t>(out.size()));
        body += out;
    }
    // The stream's final empty block follows the last chunk, outside the table.
    std::string end(64, '\0');
    z.avail_in = 0;
    z.next_out = reinterpret_cast<Bytef*>(end.data());
    z.avail_out = static_cast<uInt>(end.size());
    deflate(&z, Z_FINISH);
    end.resize(end.size() - z.avail_out);
    body += end;
    deflateEnd(&z);

    std::string extra = "RA";
    Put16(extra, 6 + 2 * sizes.size());
    Put16(extra, 1);
    Put16(extra, chunkLength);
    Put16(extra, sizes.size());
    for (uint16_t s : sizes) Put16(extra, s);

    std::string file = "\x1f\x8b\x08";
    file += char(4 | 8); // extra field, file name
    Put32(file, 0);
    file += '\x02';
    file += '\x03';
    Put16(file, extra.size());
    file += extra;
    file += "test.dict";
    file += '\0';
    file += body;
    Put32(file, crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size())));
    Put32(file, static_cast<uint32_t>(text.size()));
    if (chunkSizes) *chunkSizes = sizes;
    return file;
}

TWrittenDictionary MakeDictionary(std::vector<TWrittenEntry>& entries, unsigned chunkLength) {
    TWrittenDictionary d;
    TWrittenEntry header{"00databaseutf8", "00-database-utf8\n"};
    entries.insert(entries.begin(), header);
    for (TWrittenEntry& e : entries) {
        e.Offset = d.Text.size();
        e.Length = e.Text.size();
        d.Text += e.Text;
    }
    std::vector<const TWrittenEntry*> sorted;
    for (const auto& e : entries) sorted.push_back(&e);
    std::stable_sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->Headword < b->Headword; });
    for (const auto* e : sorted)
        d.Index += e->Headword + "\t" + tav::EncodeDictdNumber(e->Offset) + "\t" + tav::EncodeDictdNumber(e->Length) + "\n";
    d.DictZip = DictZip(d.Text, chunkLength, &d.ChunkSizes);
    return d;
}

} // namespace tavtest
