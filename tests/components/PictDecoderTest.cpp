// The PICT decoder: pictures written by the test encoder decode to exactly
// their pixels; every refusal has its message; corrupt and truncated data is
// refused without reading or writing out of bounds.
#include <gtest/gtest.h>

#include <functional>

#include "components/ZrPict.h"
#include "tests/components/PictEncoder.h"

using namespace picttest;
using tav::PBException;

namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

QImage Decode(const std::string& file) {
    tav::TPictBitmap bitmap;
    bitmap.LoadFromBytes(Bytes(file), file.size());
    return bitmap;
}

std::string RefusalOf(const std::string& file) {
    try {
        Decode(file);
    } catch (const PBException& e) {
        return e.what();
    }
    return "(decoded)";
}

std::vector<std::array<uint8_t, 3>> TestPalette(int entries) {
    std::vector<std::array<uint8_t, 3>> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back({uint8_t(i * 7 + 3), uint8_t(255 - i), uint8_t((i * 53) & 0xFF)});
    return palette;
}

// An indexed picture whose index pattern has runs and literals.
TTestPict Indexed(int depth, int width, int height) {
    TTestPict p;
    p.Width = width;
    p.Height = height;
    p.PixelSize = depth;
    p.Palette = TestPalette(1 << depth);
    const uint32_t mask = (1u << depth) - 1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.Pixels.push_back(x < width / 3 ? uint32_t(y) & mask : uint32_t(x * 5 + y) & mask);
    return p;
}

TTestPict Direct(int depth, int width, int height) {
    TTestPict p;
    p.Width = width;
    p.Height = height;
    p.PixelSize = depth;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.Pixels.push_back(x < width / 2 ? 0x3366CCu : uint32_t((x * 37) & 0xFF) << 16 | uint32_t((y * 91) & 0xFF) << 8 |
                                                             uint32_t((x * y) & 0xFF));
    return p;
}

void ExpectIndexedPixels(const TTestPict& p, const QImage& image) {
    ASSERT_EQ(image.size(), QSize(p.Width, p.Height));
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) {
            const auto& c = p.Palette[p.Pixels[size_t(y * p.Width + x)]];
            ASSERT_EQ(image.pixel(x, y), qRgb(c[0], c[1], c[2])) << "pixel " << x << "," << y;
        }
}

void ExpectIndexedOrDirectSize(const TTestPict& p, const QImage& image) {
    EXPECT_EQ(image.size(), QSize(p.Width, p.Height));
}

int Expand5(uint32_t v8) {
    const int v5 = int(v8 >> 3);
    return v5 << 3 | v5 >> 2;
}

} // namespace

// ---- decoding ------------------------------------------------------------------

TEST(PictDecode, IndexedDepthsWithPackedRows) {
    // Row bytes 18 (1-bit), 70 (4-bit), 140 (8-bit): packed with 8-bit lengths.
    for (int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        const TTestPict p = Indexed(depth, depth == 1 ? 140 : 140, 5);
        ExpectIndexedPixels(p, Decode(EncodePict(p)));
    }
}

TEST(PictDecode, EightBitWithFullTableAndSixteenBitRowLengths) {
    TTestPict p = Indexed(8, 300, 4); // row bytes 300 > 250
    ASSERT_EQ(p.Palette.size(), 256u);
    ExpectIndexedPixels(p, Decode(EncodePict(p)));
    p.UseRuns = false; // literal runs only
    ExpectIndexedPixels(p, Decode(EncodePict(p)));
}

TEST(PictDecode, ShortIndexedRowsAreCopiedUnpacked) {
    for (int depth : {1, 4, 8}) {
        SCOPED_TRACE(depth);
        const TTestPict p = Indexed(depth, depth == 8 ? 5 : 9, 4); // row bytes below 8
        ASSERT_LT(NaturalRowBytes(p.Width, depth), 8);
        ExpectIndexedPixels(p, Decode(EncodePict(p)));
    }
}

TEST(PictDecode, MacRowsWiderThanTheBitmapKeepTheirLeftPart) {
    TTestPict p = Indexed(8, 10, 3);
    p.RowBytes = 40; // padded Mac rows
    ExpectIndexedPixels(p, Decode(EncodePict(p)));
}

TEST(PictDecode, ShortColourTableGivesBlackForMissingEntries) {
    TTestPict p = Indexed(8, 12, 2);
    p.Palette.resize(4); // indexes up to 255 are used
    const QImage image = Decode(EncodePict(p));
    for (int x = 0; x < p.Width; ++x) {
        const uint32_t index = p.Pixels[size_t(x)];
        const QRgb expected = index < 4 ? qRgb(p.Palette[index][0], p.Palette[index][1], p.Palette[index][2]) : qRgb(0, 0, 0);
        EXPECT_EQ(image.pixel(x, 0), expected) << x;
    }
}

TEST(PictDecode, SixteenBitFiveFiveFive) {
    const TTestPict p = Direct(16, 40, 3);
    const QImage image = Decode(EncodePict(p));
    ASSERT_EQ(image.size(), QSize(40, 3));
    for (int y = 0; y < p.Height; ++y)
        for (int x = 0; x < p.Width; ++x) {
            const uint32_t c = p.Pixels[size_t(y * p.Width + x)];
            ASSERT_EQ(image.pixel(x, y), qRgb(Expand5(c >> 16 & 0xFF), Expand5(c >> 8 & 0xFF), Expand5(c & 0xFF)))
                << x << "," << y;
        }
}

TEST(PictDecode, ThirtyTwoBitPlanar) {
    for (bool runs : {true, false}) {
        TTestPict p = Direct(32, 70, 4); // row bytes 280: 16-bit lengths
        p.UseRuns = runs;
        const QImage image = Decode(EncodePict(p));
        ASSERT_EQ(image.size(), QSize(70, 4));
        for (int y = 0; y < p.Height; ++y)
            for (int x = 0; x < p.Width; ++x)
                ASSERT_EQ(image.pixel(x, y) & 0xFFFFFF, p.Pixels[size_t(y * p.Width + x)]) << x << "," << y;
    }
}

TEST(PictDecode, NarrowDirectPicturesHaveTheirSizeAndNoPixels) {
    TTestPict p = Direct(16, 3, 2); // row bytes 6
    QImage image = Decode(EncodePict(p));
    ASSERT_EQ(image.size(), QSize(3, 2));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(image.pixel(x, 1), qRgb(0, 0, 0));
    p = Direct(32, 1, 2); // row bytes 4
    EXPECT_EQ(Decode(EncodePict(p)).size(), QSize(1, 2));
}

TEST(PictDecode, OpcodesBeforeThePixelMapAreSkipped) {
    TTestPict p = Indexed(8, 20, 3);
    p.LongComment = "hello"; // odd length: one pad byte
    p.ClipRegion = true;
    p.BackgroundColour = true;
    p.OpcodesBefore = {0x0000, 0x001E, 0x0000};
    ExpectIndexedPixels(p, Decode(EncodePict(p)));
}

TEST(PictDecode, DirectBitsRegionSkipsItsMask) {
    TTestPict p = Direct(32, 12, 2);
    p.Opcode = 0x009B;
    const QImage image = Decode(EncodePict(p));
    ASSERT_EQ(image.size(), QSize(12, 2));
    EXPECT_EQ(image.pixel(11, 1) & 0xFFFFFF, p.Pixels.back());
}

TEST(PictDecode, ZeroSizeGivesAnEmptyBitmap) {
    TTestPict p = Indexed(8, 0, 3);
    EXPECT_TRUE(Decode(EncodePict(p)).isNull());
    p = Indexed(8, 4, 0);
    EXPECT_TRUE(Decode(EncodePict(p)).isNull());
}

// ---- refusals ---------------------------------------------------------------------

TEST(PictRefuse, HeaderAndOpcodeMessages) {
    TTestPict p = Indexed(8, 16, 2);
    p.Version = 0x0201;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Bad PICT version $0201");

    p = Indexed(8, 16, 2);
    p.OpcodesBefore = {0x0032};
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't handle non-bitmap PICT contents (e.g. text)");
    p.OpcodesBefore = {0x0028};
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Unknown PICT opcode $0028");
    p.OpcodesBefore = {0x00FF};
    EXPECT_EQ(RefusalOf(EncodePict(p)), "PICT has no data!");

    p = Indexed(8, 16, 2);
    p.PixMapFlag = false;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "PICT got BitMap not PixMap");
}

TEST(PictRefuse, VersionOnePicture) {
    std::string file(512, '\0');
    file += std::string("\x00\x20\x00\x00\x00\x00\x00\x10\x00\x10\x11\x01\xa0\x00\x82\xff", 16);
    EXPECT_EQ(RefusalOf(file), "Unknown PICT opcode $1101");
}

TEST(PictRefuse, PixelSizesAndPacking) {
    TTestPict p = Indexed(1, 16, 2);
    p.PixelSize = 2;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't handle 2-bit PICT");

    p = Indexed(8, 16, 2);
    p.PackType = 1;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't decode 8-bit PICT with PackType 1, CmpCount 1, CmpSize 8");
    p = Indexed(4, 16, 2);
    p.CmpSize = 8;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't decode 4-bit PICT with PackType 0, CmpCount 1, CmpSize 8");

    p = Direct(32, 16, 2);
    p.CmpCount = 4; // an alpha plane
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't decode 32-bit PICT with PackType 4, CmpCount 4, CmpSize 8");
    p = Direct(16, 16, 2);
    p.PackType = 0;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't decode 16-bit PICT with PackType 0, CmpCount 3, CmpSize 5");
}

TEST(PictRefuse, PaletteChecksComeBeforePackChecks) {
    TTestPict p = Indexed(8, 16, 2);
    p.Opcode = 0x009A; // direct bits: no colour table
    p.PackType = 3;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't handle 8-bit PICT with no palette");
    p.PixelSize = 1;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't handle 1-bit PICT with no palette");

    p = Direct(16, 16, 2);
    p.Opcode = 0x0098;
    p.Palette = TestPalette(2);
    p.CmpCount = 9;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't handle 16-bit PICT with palette");
    p = Direct(32, 16, 2);
    p.Opcode = 0x0098;
    p.Palette = TestPalette(2);
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Can't handle 32-bit PICT with palette");
}

// ---- corrupt data -------------------------------------------------------------------

TEST(PictCorrupt, EveryTruncationIsRefused) {
    for (const TTestPict& p : {Indexed(8, 300, 3), Indexed(4, 9, 3), Direct(16, 20, 3), Direct(32, 30, 3)}) {
        const std::string file = EncodePict(p);
        // Only the closing end-of-picture opcode (and its pad byte) may be missing.
        size_t len = 0;
        for (; len < file.size(); ++len) {
            const std::string refusal = RefusalOf(file.substr(0, len));
            if (refusal == "(decoded)") break;
            ASSERT_EQ(refusal, "PICT data ends early") << "length " << len;
        }
        EXPECT_GE(len, file.size() - 3);
        ExpectIndexedOrDirectSize(p, Decode(file.substr(0, len)));
    }
}

TEST(PictCorrupt, RowsThatUnpackBeyondTheirBufferAreRefused) {
    TTestPict p = Indexed(8, 10, 1);
    p.UseRawPixelData = true;
    // A run of 17 bytes into a 10-byte row.
    p.RawPixelData = std::string("\x02\xf0\x07", 3);
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Corrupt PICT row data");
    // A literal run of 6 bytes with only 2 left in the packed row.
    p.RawPixelData = std::string("\x03\x05\x01\x02", 4);
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Corrupt PICT row data");
    // A repeat flag with its item missing.
    p.RawPixelData = std::string("\x01\xfe", 2);
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Corrupt PICT row data");

    TTestPict d = Direct(16, 8, 1);
    d.UseRawPixelData = true;
    d.RawPixelData = std::string("\x02\xf0\x07", 3); // a 16-bit item cut in half
    EXPECT_EQ(RefusalOf(EncodePict(d)), "Corrupt PICT row data");
}

TEST(PictCorrupt, OversizedColourTableAndBoundsAreRefused) {
    TTestPict p = Indexed(8, 16, 2);
    p.CtSizeOverride = 300;
    EXPECT_EQ(RefusalOf(EncodePict(p)), "PICT colour table too large (301 entries)");

    p = Indexed(8, 16, 2);
    p.RowBytes = 8; // 16 pixels do not fit in 8 bytes
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Bad PICT bounds (16 x 2, row bytes 8)");

    p = Indexed(8, 4, 2);
    p.Height = -2; // bottom above top
    p.Pixels.clear();
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Bad PICT bounds (4 x -2, row bytes 4)");

    p = Indexed(1, 8, 2);
    p.Width = 16000; // 16000 x 16000 pixels, far beyond any screen picture
    p.Height = 16000;
    p.RowBytes = 2000;
    p.Pixels.clear();
    EXPECT_EQ(RefusalOf(EncodePict(p)), "PICT too large (16000 x 16000)");

    p = Indexed(8, 200, 2);
    p.Height = 5000; // rows the file cannot hold
    p.Pixels.clear();
    EXPECT_EQ(RefusalOf(EncodePict(p)), "PICT data ends early");
}

TEST(PictCorrupt, BadRegionSizeIsRefused) {
    TTestPict p = Indexed(8, 16, 2);
    p.OpcodesBefore = {0x0001, 0x0000};
    EXPECT_EQ(RefusalOf(EncodePict(p)), "Corrupt PICT region");
}

TEST(PictUnpack, RunsLiteralsAndNoOps) {
    const uint8_t packed[] = {0x02, 'a', 'b', 'c', 0x80, 0xFD, 'x', 0x00, 'z'};
    uint8_t out[16] = {};
    ASSERT_EQ(tav::UnpackBitsRow(packed, sizeof packed, out, sizeof out, 1), 8u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 8), "abcxxxxz");

    const uint8_t words[] = {0xFE, 0x12, 0x34, 0x00, 0xAB, 0xCD};
    uint8_t wout[8] = {};
    ASSERT_EQ(tav::UnpackBitsRow(words, sizeof words, wout, sizeof wout, 2), 8u);
    const uint8_t expected[] = {0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0xAB, 0xCD};
    EXPECT_EQ(0, std::memcmp(wout, expected, 8));

    // Exactly full is fine; one more item is not.
    EXPECT_THROW(tav::UnpackBitsRow(words, sizeof words, wout, 6, 2), PBException);
}
