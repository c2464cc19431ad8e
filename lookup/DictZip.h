#pragma once
// A dictd dictionary's data: a plain .dict file, or a .dict.dz, which is
// gzip (RFC 1952) whose extra field holds dictzip's random-access subfield
// "RA": version 1, the uncompressed chunk length, the chunk count and each
// chunk's compressed size (16-bit little-endian numbers). Each chunk starts
// a fresh deflate block sequence, so it inflates on its own with zlib's raw
// inflate; a range of text costs only the chunks it touches. The last few
// chunks read are kept.
#include <QFile>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tav {

class TDictData {
public:
    TDictData();
    ~TDictData();
    TDictData(const TDictData&) = delete;
    TDictData& operator=(const TDictData&) = delete;

    // A file beginning with gzip's magic bytes is read as dictzip, any other
    // as plain text. False with a message when the file cannot be read or
    // its dictzip header is damaged.
    bool Open(const std::string& fileName, std::string& error);
    bool OpenBytes(std::string bytes, std::string& error);

    // The bytes [offset, offset + length) of the uncompressed text. False with
    // a message when the range passes the end of the data, a chunk it needs
    // is damaged, or the range is longer than any entry can be (16 MiB).
    bool Read(uint64_t offset, uint64_t length, std::string& text, std::string& error);

    bool Compressed() const { return compressed_; }
    // The uncompressed size: exact for a plain file; for dictzip the chunk
    // table's bound, made exact by the gzip trailer when it agrees.
    uint64_t Size() const { return size_; }
    uint32_t ChunkLength() const { return chunkLength_; }
    size_t ChunkCount() const { return chunkStarts_.empty() ? 0 : chunkStarts_.size() - 1; }

private:
    bool Map(const std::string& fileName, std::string& error);
    bool ReadHeader(std::string& error);
    const std::string* Chunk(size_t index, std::string& error);

    std::unique_ptr<QFile> file_;
    std::string owned_;
    const unsigned char* data_ = nullptr;
    size_t bytes_ = 0; // of the file
    std::string name_;
    bool compressed_ = false;
    uint64_t size_ = 0;
    uint32_t chunkLength_ = 0;
    std::vector<uint64_t> chunkStarts_; // file offsets; one more than chunks
    struct TCached {
        size_t Index;
        std::string Text;
    };
    std::vector<TCached> cache_; // most recent first
};

} // namespace tav
