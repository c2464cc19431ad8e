#include "lookup/DictZip.h"

#include <zlib.h>

#include <algorithm>

namespace tav {

namespace {

constexpr uint64_t kLongestRead = 16u << 20;
constexpr size_t kCachedChunks = 8;

enum : unsigned char { kFlagText = 1, kFlagHeaderCrc = 2, kFlagExtra = 4, kFlagName = 8, kFlagComment = 16 };

unsigned Le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }

} // namespace

TDictData::TDictData() = default;
TDictData::~TDictData() = default;

bool TDictData::Map(const std::string& fileName, std::string& error) {
    file_ = std::make_unique<QFile>(QString::fromStdString(fileName));
    owned_.clear();
    if (!file_->open(QIODevice::ReadOnly)) {
        error = "cannot open the dictionary data " + fileName + ": " + file_->errorString().toStdString();
        file_.reset();
        return false;
    }
    const qint64 size = file_->size();
    if (size <= 0) {
        error = "the dictionary data " + fileName + " is empty";
        file_.reset();
        return false;
    }
    if (uchar* mapped = file_->map(0, size)) {
        data_ = mapped;
        bytes_ = static_cast<size_t>(size);
    } else {
        const QByteArray all = file_->readAll();
        owned_.assign(all.constData(), static_cast<size_t>(all.size()));
        data_ = reinterpret_cast<const unsigned char*>(owned_.data());
        bytes_ = owned_.size();
    }
    return true;
}

bool TDictData::Open(const std::string& fileName, std::string& error) {
    name_ = fileName;
    cache_.clear();
    chunkStarts_.clear();
    if (!Map(fileName, error)) return false;
    return ReadHeader(error);
}

bool TDictData::OpenBytes(std::string bytes, std::string& error) {
    name_ = "the dictionary data";
    cache_.clear();
    chunkStarts_.clear();
    file_.reset();
    owned_ = std::move(bytes);
    data_ = reinterpret_cast<const unsigned char*>(owned_.data());
    bytes_ = owned_.size();
    if (!bytes_) {
        error = "the dictionary data is empty";
        return false;
    }
    return ReadHeader(error);
}

bool TDictData::ReadHeader(std::string& error) {
    compressed_ = bytes_ >= 2 && data_[0] == 0x1f && data_[1] == 0x8b;
    if (!compressed_) {
        size_ = bytes_;
        return true;
    }
    auto damaged = [&](const std::string& what) {
        error = name_ + ": damaged dictzip header: " + what;
        return false;
    };
    if (bytes_ < 18) return damaged("the file is too short");
    if (data_[2] != 8) return damaged("the compression method is not deflate");
    const unsigned flags = data_[3];
    if (!(flags & kFlagExtra)) return damaged("no extra field (plain gzip: compress the file with dictzip)");
    const size_t extraLength = Le16(data_ + 10);
    size_t p = 12;
    if (p + extraLength > bytes_) return damaged("the extra field passes the end of the file");
    const unsigned char* ra = nullptr;
    size_t raLength = 0;
    for (size_t q = p; q + 4 <= p + extraLength;) {
        const size_t length = Le16(data_ + q + 2);
        if (q + 4 + length > p + extraLength) return damaged("a subfield passes the end of the extra field");
        if (data_[q] == 'R' && data_[q + 1] == 'A' && !ra) {
            ra = data_ + q + 4;
            raLength = length;
        }
        q += 4 + length;
    }
    if (!ra) return damaged("no random-access (RA) subfield (plain gzip: compress the file with dictzip)");
    if (raLength < 6) return damaged("the random-access subfield is too short");
    if (Le16(ra) != 1) return damaged("random-access version " + std::to_string(Le16(ra)) + " (only 1 is known)");
    chunkLength_ = Le16(ra + 2);
    const size_t chunks = Le16(ra + 4);
    if (!chunkLength_) return damaged("the chunk length is 0");
    if (!chunks) return damaged("the chunk count is 0");
    if (raLength < 6 + 2 * chunks) return damaged("the chunk table is shorter than its " + std::to_string(chunks) + " chunks");
    p += extraLength;
    for (unsigned flag : {unsigned(kFlagName), unsigned(kFlagComment)})
        if (flags & flag) {
            while (p < bytes_ && data_[p]) ++p;
            if (p >= bytes_) return damaged("the file name or comment is not terminated");
            ++p;
        }
    if (flags & kFlagHeaderCrc) p += 2;
    chunkStarts_.reserve(chunks + 1);
    uint64_t at = p;
    for (size_t i = 0; i < chunks; ++i) {
        chunkStarts_.push_back(at);
        at += Le16(ra + 6 + 2 * i);
    }
    chunkStarts_.push_back(at);
    if (at > bytes_) {
        error = name_ + ": truncated dictzip file: its chunks need " + std::to_string(at) + " bytes, the file has " + std::to_string(bytes_);
        chunkStarts_.clear();
        return false;
    }
    size_ = uint64_t(chunks) * chunkLength_;
    // The gzip trailer's size (modulo 2^32), in the file's last 4 bytes,
    // fixes the last chunk's length (the deflate stream's end may follow the
    // last chunk, before the trailer).
    if (at + 8 <= bytes_) {
        const uint32_t total = Le32(data_ + bytes_ - 4);
        const uint64_t before = uint64_t(chunks - 1) * chunkLength_;
        const uint32_t last = total - static_cast<uint32_t>(before);
        if (last > 0 && last <= chunkLength_) size_ = before + last;
    }
    return true;
}

const std::string* TDictData::Chunk(size_t index, std::string& error) {
    for (size_t i = 0; i < cache_.size(); ++i)
        if (cache_[i].Index == index) {
            if (i) std::rotate(cache_.begin(), cache_.begin() + static_cast<long>(i), cache_.begin() + static_cast<long>(i) + 1);
            return &cache_.front().Text;
        }
    const uint64_t begin = chunkStarts_[index], end = chunkStarts_[index + 1];
    const bool lastChunk = index + 1 == ChunkCount();
    const uint64_t expected = lastChunk ? size_ - uint64_t(index) * chunkLength_ : chunkLength_;
    std::string text(chunkLength_, '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
        error = name_ + ": cannot start inflating";
        return nullptr;
    }
    z.next_in = const_cast<Bytef*>(data_ + begin);
    z.avail_in = static_cast<uInt>(end - begin);
    z.next_out = reinterpret_cast<Bytef*>(text.data());
    z.avail_out = chunkLength_;
    int status = Z_OK;
    // Every call consumes input or makes output, or says it cannot: the loop ends.
    while (status == Z_OK && z.avail_out > 0 && z.avail_in > 0) status = inflate(&z, Z_SYNC_FLUSH);
    const uint64_t made = chunkLength_ - z.avail_out;
    inflateEnd(&z);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
        error = name_ + ": dictzip chunk " + std::to_string(index + 1) + " of " + std::to_string(ChunkCount()) + " is damaged (" +
                (z.msg ? z.msg : "inflate failed") + ")";
        return nullptr;
    }
    if (made < expected) {
        error = name_ + ": dictzip chunk " + std::to_string(index + 1) + " of " + std::to_string(ChunkCount()) + " is truncated (" +
                std::to_string(made) + " of " + std::to_string(expected) + " bytes)";
        return nullptr;
    }
    text.resize(made);
    if (cache_.size() == kCachedChunks) cache_.pop_back();
    cache_.insert(cache_.begin(), TCached{index, std::move(text)});
    return &cache_.front().Text;
}

bool TDictData::Read(uint64_t offset, uint64_t length, std::string& text, std::string& error) {
    text.clear();
    if (!data_) {
        error = "the dictionary data is not open";
        return false;
    }
    if (length > kLongestRead) {
        error = name_ + ": an entry of " + std::to_string(length) + " bytes is longer than any dictionary entry";
        return false;
    }
    if (offset > size_ || length > size_ - offset) {
        error = name_ + ": the index points past the end of the data (bytes " + std::to_string(offset) + " to " +
                std::to_string(offset + length) + " of " + std::to_string(size_) + ")";
        return false;
    }
    if (!compressed_) {
        text.assign(reinterpret_cast<const char*>(data_) + offset, length);
        return true;
    }
    text.reserve(length);
    uint64_t at = offset;
    const uint64_t end = offset + length;
    while (at < end) {
        const size_t index = static_cast<size_t>(at / chunkLength_);
        const std::string* chunk = Chunk(index, error);
        if (!chunk) {
            text.clear();
            return false;
        }
        const uint64_t within = at - uint64_t(index) * chunkLength_;
        const uint64_t take = std::min<uint64_t>(end - at, chunk->size() - std::min<uint64_t>(within, chunk->size()));
        if (!take) {
            error = name_ + ": the index points past the end of the data";
            text.clear();
            return false;
        }
        text.append(*chunk, within, take);
        at += take;
    }
    return true;
}

} // namespace tav
