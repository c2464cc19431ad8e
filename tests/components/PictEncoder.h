#pragma once
// A small PICT version 2 writer for the tests and the fuzz seeds: one pixel
// map (indexed 1/4/8 bits with a colour table, 16-bit 5-5-5 or 32-bit
// planar), PackBits rows with 8- or 16-bit lengths, optional long comment,
// clip region and mask region, and knobs to write deliberately wrong headers.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace picttest {

struct TTestPict {
    int Width = 0;
    int Height = 0;
    int PixelSize = 8;                        // 1, 4, 8, 16 or 32
    int RowBytes = 0;                         // 0: the natural even row length
    std::vector<std::array<uint8_t, 3>> Palette; // indexed pictures
    std::vector<uint32_t> Pixels;             // Width * Height: index, or 0xRRGGBB
    bool UseRuns = true;                      // false: literal runs only
    int PackType = -1, CmpCount = -1, CmpSize = -1; // -1: the right values for the depth
    int Opcode = 0;                           // 0: 0x0098 indexed, 0x009A direct
    bool ColourTable = true;                  // 0x0098 only: write the table
    int CtSizeOverride = -1;                  // write this ctSize instead
    bool PixMapFlag = true;                   // top bit of row bytes
    int Version = 0x02FF;
    std::string LongComment;                  // written as an 0x00A1 comment
    bool ClipRegion = false;
    bool BackgroundColour = false;
    std::vector<uint16_t> OpcodesBefore;      // extra opcode words before the pixel map
    // When set, written after the pixel map header in place of the encoded
    // rows (for deliberately corrupt row data).
    std::string RawPixelData;
    bool UseRawPixelData = false;
};

// Apple's PackBits for one row; items are 1 or 2 bytes.
std::string PackBits(const std::vector<uint8_t>& row, int itemSize, bool useRuns = true);

// The row bytes a picture gets when RowBytes is 0.
int NaturalRowBytes(int width, int pixelSize);

// The whole file, 512-byte header included.
std::string EncodePict(const TTestPict& pict);

} // namespace picttest
