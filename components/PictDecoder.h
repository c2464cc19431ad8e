#pragma once
// Decoding of Apple QuickDraw version 2 pictures whose drawing is one pixel
// map: indexed 1, 4 or 8 bits with a colour table, or direct 16 (5-5-5) or
// 32 bits (three component planes). Plain C++ with no toolkit types, so the
// fuzz target can build it alone. Every refusal is a PBException; the input
// is never read and the output never written outside their buffers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tav {

class PBException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The decoded bitmap, before it becomes a toolkit image.
struct TPictImage {
    int Width = 0;
    int Height = 0;
    // 1, 4 or 8: indexed (most significant bits are the leftmost pixels);
    // 15: one native-endian 16-bit word per pixel, 5 bits each of R, G, B;
    // 24: three bytes per pixel in the order R, G, B.
    int BitsPerPixel = 0;
    int Stride = 0; // bytes per row in Pixels
    std::vector<uint8_t> Pixels;
    std::vector<std::array<uint8_t, 3>> Palette; // indexed only, table order

    bool Empty() const { return Width == 0 || Height == 0; }
};

// The largest picture we accept (pixels); bigger ones are refused before any
// memory is taken for them.
constexpr int64_t kMaxPictPixels = int64_t(8192) * 8192;

// Decodes a whole PICT file (with its 512-byte file header).
TPictImage DecodePict(const uint8_t* data, size_t size);

// One PackBits row: unpacks `packed` into `out` (capacity `outSize` bytes)
// with items of `itemSize` bytes (1 or 2). Returns the number of bytes
// written; throws when a run would go beyond `out` or beyond `packed`.
size_t UnpackBitsRow(const uint8_t* packed, size_t packedSize, uint8_t* out, size_t outSize, int itemSize);

} // namespace tav
