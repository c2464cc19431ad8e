#include "components/PictDecoder.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace tav {

namespace {

std::string Fmt(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* fmt, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    return buf;
}

[[noreturn]] void Refuse(const std::string& message) { throw PBException(message); }

constexpr const char* kEndsEarly = "PICT data ends early";
constexpr const char* kCorruptRow = "Corrupt PICT row data";

// Big-endian reads with a bounds check on every access.
class TReader {
public:
    TReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Pos() const { return pos_; }
    size_t Left() const { return size_ - pos_; }

    void Skip(size_t n) {
        if (n > Left()) Refuse(kEndsEarly);
        pos_ += n;
    }
    uint8_t U8() {
        if (Left() < 1) Refuse(kEndsEarly);
        return data_[pos_++];
    }
    uint16_t U16() {
        if (Left() < 2) Refuse(kEndsEarly);
        const uint16_t v = uint16_t(data_[pos_] << 8 | data_[pos_ + 1]);
        pos_ += 2;
        return v;
    }
    int16_t S16() { return int16_t(U16()); }
    uint32_t U32() {
        const uint32_t hi = U16();
        return hi << 16 | U16();
    }
    const uint8_t* Take(size_t n) {
        if (n > Left()) Refuse(kEndsEarly);
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }
    // A region or mask: its first word is its size in bytes, counting itself.
    void SkipRegion() {
        const uint16_t regionSize = U16();
        if (regionSize < 2) Refuse("Corrupt PICT region");
        Skip(regionSize - 2);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

struct TPixMapHeader {
    int RowBytes = 0;
    bool IsPixMap = false;
    int Width = 0, Height = 0;
    int PackType = 0, PixelSize = 0, CmpCount = 0, CmpSize = 0;
};

TPixMapHeader ReadPixMapHeader(TReader& r) {
    TPixMapHeader h;
    const uint16_t rowBytesWord = r.U16();
    h.IsPixMap = (rowBytesWord & 0x8000) != 0;
    h.RowBytes = rowBytesWord & 0x3FFF;
    const int top = r.S16(), left = r.S16(), bottom = r.S16(), right = r.S16();
    h.Width = right - left;
    h.Height = bottom - top;
    r.Skip(2); // pmVersion
    h.PackType = r.S16();
    r.Skip(4 + 4 + 4 + 2); // packSize, hRes, vRes, pixelType
    h.PixelSize = r.S16();
    h.CmpCount = r.S16();
    h.CmpSize = r.S16();
    r.Skip(4 + 4 + 4); // planeBytes, pmTable, pmReserved
    return h;
}

std::vector<std::array<uint8_t, 3>> ReadColourTable(TReader& r) {
    r.Skip(6); // ctSeed, ctFlags
    const uint16_t ctSize = r.U16();
    const int entries = int(ctSize) + 1;
    if (entries > 256) Refuse(Fmt("PICT colour table too large (%d entries)", entries));
    std::vector<std::array<uint8_t, 3>> palette(static_cast<size_t>(entries));
    for (auto& colour : palette) {
        r.Skip(2); // the entry's value is not used: entries count in table order
        colour[0] = uint8_t(r.U16() >> 8);
        colour[1] = uint8_t(r.U16() >> 8);
        colour[2] = uint8_t(r.U16() >> 8);
    }
    return palette;
}

// The packed bytes of the next row, after its 8- or 16-bit length.
std::pair<const uint8_t*, size_t> NextPackedRow(TReader& r, int rowBytes) {
    const size_t length = rowBytes > 250 ? r.U16() : r.U8();
    return {r.Take(length), length};
}

void DecodeIndexed(TReader& r, const TPixMapHeader& h, TPictImage& img) {
    const size_t stride = size_t(img.Stride);
    if (h.RowBytes < 8) {
        // Short rows are stored unpacked.
        for (int y = 0; y < h.Height; ++y) {
            const uint8_t* row = r.Take(size_t(h.RowBytes));
            std::memcpy(&img.Pixels[size_t(y) * stride], row, std::min(size_t(h.RowBytes), stride));
        }
        return;
    }
    // Mac rows may be wider than ours (padding); unpack a whole Mac row and
    // keep the part that fits.
    std::vector<uint8_t> rowBuf(size_t(h.RowBytes));
    for (int y = 0; y < h.Height; ++y) {
        auto [packed, length] = NextPackedRow(r, h.RowBytes);
        std::fill(rowBuf.begin(), rowBuf.end(), 0);
        UnpackBitsRow(packed, length, rowBuf.data(), rowBuf.size(), 1);
        std::memcpy(&img.Pixels[size_t(y) * stride], rowBuf.data(), std::min(rowBuf.size(), stride));
    }
}

void Decode16(TReader& r, const TPixMapHeader& h, TPictImage& img) {
    if (h.RowBytes < 8) return;
    std::vector<uint8_t> rowBuf(std::max(size_t(h.RowBytes), size_t(h.Width) * 2));
    for (int y = 0; y < h.Height; ++y) {
        auto [packed, length] = NextPackedRow(r, h.RowBytes);
        std::fill(rowBuf.begin(), rowBuf.end(), 0);
        UnpackBitsRow(packed, length, rowBuf.data(), rowBuf.size(), 2);
        auto* out = reinterpret_cast<uint16_t*>(&img.Pixels[size_t(y) * size_t(img.Stride)]);
        for (int x = 0; x < h.Width; ++x) {
            const uint16_t v = uint16_t(rowBuf[size_t(x) * 2] << 8 | rowBuf[size_t(x) * 2 + 1]);
            out[x] = v & 0x7FFF;
        }
    }
}

void Decode32(TReader& r, const TPixMapHeader& h, TPictImage& img) {
    if (h.RowBytes < 8) return;
    const size_t w = size_t(h.Width);
    std::vector<uint8_t> rowBuf(std::max(size_t(h.RowBytes), w * 3));
    for (int y = 0; y < h.Height; ++y) {
        auto [packed, length] = NextPackedRow(r, h.RowBytes);
        std::fill(rowBuf.begin(), rowBuf.end(), 0);
        UnpackBitsRow(packed, length, rowBuf.data(), rowBuf.size(), 1);
        uint8_t* out = &img.Pixels[size_t(y) * size_t(img.Stride)];
        for (size_t x = 0; x < w; ++x) {
            out[x * 3 + 0] = rowBuf[x];
            out[x * 3 + 1] = rowBuf[w + x];
            out[x * 3 + 2] = rowBuf[2 * w + x];
        }
    }
}

// Sizes the bitmap after checking that the header is plausible, so a small
// corrupt file cannot make us take a huge amount of memory.
// minRowBytes is the least data each row takes in the file (0: rows not read).
void AllocateBitmap(TPictImage& img, const TPixMapHeader& h, int bits, const TReader& r, size_t minRowBytes) {
    if (h.Width < 0 || h.Height < 0 || int64_t(h.Width) * h.PixelSize > int64_t(h.RowBytes) * 8)
        Refuse(Fmt("Bad PICT bounds (%d x %d, row bytes %d)", h.Width, h.Height, h.RowBytes));
    if (int64_t(h.Width) * h.Height > kMaxPictPixels) Refuse(Fmt("PICT too large (%d x %d)", h.Width, h.Height));
    if (minRowBytes > 0 && size_t(h.Height) > r.Left() / minRowBytes) Refuse(kEndsEarly);
    img.Width = h.Width;
    img.Height = h.Height;
    img.BitsPerPixel = bits;
    const int64_t rowBits = int64_t(h.Width) * (bits == 15 ? 16 : bits);
    img.Stride = int((rowBits + 7) / 8);
    img.Pixels.assign(size_t(img.Stride) * size_t(h.Height), 0);
}

} // namespace

// Every packed row has at least its length in front of it.
static size_t MinPackedRow(const TPixMapHeader& h) { return h.RowBytes > 250 ? 2 : 1; }

size_t UnpackBitsRow(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t outSize, int itemSize) {
    const size_t item = size_t(itemSize);
    size_t in = 0, written = 0;
    while (in < packedSize) {
        const uint8_t flag = packed[in++];
        if (flag < 128) {
            const size_t n = (size_t(flag) + 1) * item;
            if (n > packedSize - in || n > outSize - written) Refuse(kCorruptRow);
            std::memcpy(out + written, packed + in, n);
            in += n;
            written += n;
        } else if (flag > 128) {
            const size_t count = 257 - size_t(flag);
            if (item > packedSize - in || count * item > outSize - written) Refuse(kCorruptRow);
            for (size_t i = 0; i < count; ++i) {
                std::memcpy(out + written, packed + in, item);
                written += item;
            }
            in += item;
        }
        // flag 128: no operation
    }
    return written;
}

TPictImage DecodePict(const uint8_t* data, size_t size) {
    TReader r(data, size);
    r.Skip(512); // file header
    r.Skip(2 + 8); // picture size, picture frame

    bool hasColourTable = false;
    std::vector<std::array<uint8_t, 3>> palette;
    TPixMapHeader h;
    for (bool pixelData = false; !pixelData;) {
        const uint16_t opcode = r.U16();
        switch (opcode) {
        case 0x0000:
        case 0x001E:
            break;
        case 0x0C00:
            r.Skip(24);
            break;
        case 0x0001:
            r.SkipRegion();
            break;
        case 0x0011: {
            const uint16_t version = r.U16();
            if (version != 0x02FF) Refuse(Fmt("Bad PICT version $%.4x", version));
            break;
        }
        case 0x001A:
        case 0x001B:
            r.Skip(6);
            break;
        case 0x00A1: {
            r.Skip(2); // kind
            const uint16_t length = r.U16();
            r.Skip(length + (length & 1));
            break;
        }
        case 0x0032:
            Refuse("Can't handle non-bitmap PICT contents (e.g. text)");
        case 0x0098:
            hasColourTable = true;
            h = ReadPixMapHeader(r);
            if (!h.IsPixMap) Refuse("PICT got BitMap not PixMap");
            palette = ReadColourTable(r);
            r.Skip(8 + 8 + 2); // source, destination, transfer mode
            pixelData = true;
            break;
        case 0x009A:
        case 0x009B:
            hasColourTable = false;
            r.Skip(4); // base address
            h = ReadPixMapHeader(r);
            if (!h.IsPixMap) Refuse("PICT got BitMap not PixMap");
            r.Skip(8 + 8 + 2);
            if (opcode == 0x009B) r.SkipRegion(); // mask region
            pixelData = true;
            break;
        case 0x00FF:
            Refuse("PICT has no data!");
        default:
            Refuse(Fmt("Unknown PICT opcode $%.4x", opcode));
        }
    }

    TPictImage img;
    if (h.RowBytes == 0 || h.Width == 0 || h.Height == 0) return img;

    switch (h.PixelSize) {
    case 1:
    case 4:
    case 8:
        if (!hasColourTable) Refuse(Fmt("Can't handle %d-bit PICT with no palette", h.PixelSize));
        if (h.PackType != 0 || h.CmpCount != 1 || h.CmpSize != h.PixelSize)
            Refuse(Fmt("Can't decode %d-bit PICT with PackType %d, CmpCount %d, CmpSize %d", h.PixelSize, h.PackType,
                       h.CmpCount, h.CmpSize));
        AllocateBitmap(img, h, h.PixelSize, r, h.RowBytes < 8 ? size_t(h.RowBytes) : MinPackedRow(h));
        img.Palette = std::move(palette);
        DecodeIndexed(r, h, img);
        break;
    case 16:
        if (hasColourTable) Refuse("Can't handle 16-bit PICT with palette");
        if (h.PackType != 3 || h.CmpCount != 3 || h.CmpSize != 5)
            Refuse(Fmt("Can't decode 16-bit PICT with PackType %d, CmpCount %d, CmpSize %d", h.PackType, h.CmpCount,
                       h.CmpSize));
        AllocateBitmap(img, h, 15, r, h.RowBytes < 8 ? 0 : MinPackedRow(h));
        Decode16(r, h, img);
        break;
    case 32:
        if (hasColourTable) Refuse("Can't handle 32-bit PICT with palette");
        if (h.PackType != 4 || h.CmpCount != 3 || h.CmpSize != 8)
            Refuse(Fmt("Can't decode 32-bit PICT with PackType %d, CmpCount %d, CmpSize %d", h.PackType, h.CmpCount,
                       h.CmpSize));
        AllocateBitmap(img, h, 24, r, h.RowBytes < 8 ? 0 : MinPackedRow(h));
        Decode32(r, h, img);
        break;
    default:
        Refuse(Fmt("Can't handle %d-bit PICT", h.PixelSize));
    }
    return img;
}

} // namespace tav
