#include "tests/components/PictEncoder.h"

namespace picttest {

namespace {

void Put16(std::string& s, int v) {
    s += char((v >> 8) & 0xFF);
    s += char(v & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, int(v >> 16));
    Put16(s, int(v & 0xFFFF));
}

// The unpacked bytes of row y as the file stores them.
std::vector<uint8_t> RowBytesOf(const TTestPict& p, int y, int rowBytes) {
    const auto px = [&](int x) { return p.Pixels[size_t(y) * size_t(p.Width) + size_t(x)]; };
    std::vector<uint8_t> row;
    if (p.PixelSize <= 8) {
        row.assign(size_t(rowBytes), 0);
        for (int x = 0; x < p.Width; ++x) {
            const int bit = x * p.PixelSize;
            const int shift = 8 - p.PixelSize - bit % 8;
            if (size_t(bit / 8) < row.size()) row[size_t(bit / 8)] |= uint8_t((px(x) & ((1u << p.PixelSize) - 1)) << shift);
        }
    } else if (p.PixelSize == 16) {
        for (int x = 0; x < p.Width; ++x) {
            const uint32_t c = px(x);
            const int v = int(((c >> 19) & 31) << 10 | ((c >> 11) & 31) << 5 | ((c >> 3) & 31));
            row.push_back(uint8_t(v >> 8));
            row.push_back(uint8_t(v));
        }
    } else {
        for (int shift : {16, 8, 0})
            for (int x = 0; x < p.Width; ++x) row.push_back(uint8_t(px(x) >> shift));
    }
    return row;
}

} // namespace

std::string PackBits(const std::vector<uint8_t>& row, int itemSize, bool useRuns) {
    const size_t item = size_t(itemSize);
    const size_t items = row.size() / item;
    const auto same = [&](size_t a, size_t b) {
        for (size_t k = 0; k < item; ++k)
            if (row[a * item + k] != row[b * item + k]) return false;
        return true;
    };
    std::string out;
    size_t i = 0;
    while (i < items) {
        size_t run = 1;
        while (useRuns && i + run < items && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            out += char(257 - run);
            out.append(reinterpret_cast<const char*>(&row[i * item]), item);
            i += run;
            continue;
        }
        size_t lit = 1;
        while (i + lit < items && lit < 128 && !(useRuns && i + lit + 1 < items && same(i + lit, i + lit + 1)))
            ++lit;
        out += char(lit - 1);
        out.append(reinterpret_cast<const char*>(&row[i * item]), lit * item);
        i += lit;
    }
    return out;
}

int NaturalRowBytes(int width, int pixelSize) {
    const int bytes = (width * pixelSize + 7) / 8;
    return bytes + (bytes & 1);
}

std::string EncodePict(const TTestPict& p) {
    const bool indexed = p.PixelSize <= 8;
    const int rowBytes = p.RowBytes ? p.RowBytes : NaturalRowBytes(p.Width, p.PixelSize);
    const int opcode = p.Opcode ? p.Opcode : (indexed ? 0x0098 : 0x009A);

    std::string s(512, '\0');
    Put16(s, 0);            // picture size, patched below
    Put16(s, 0);            // frame top, left, bottom, right
    Put16(s, 0);
    Put16(s, p.Height);
    Put16(s, p.Width);
    Put16(s, 0x0011);
    Put16(s, p.Version);
    Put16(s, 0x0C00);
    s.append(24, '\0');
    Put16(s, 0x001E);
    if (p.ClipRegion) {
        Put16(s, 0x0001);
        Put16(s, 10);
        Put16(s, 0), Put16(s, 0), Put16(s, p.Height), Put16(s, p.Width);
    }
    if (p.BackgroundColour) {
        Put16(s, 0x001B);
        s.append(6, '\x7f');
    }
    if (!p.LongComment.empty()) {
        Put16(s, 0x00A1);
        Put16(s, 100);
        Put16(s, int(p.LongComment.size()));
        s += p.LongComment;
        if (p.LongComment.size() % 2) s += '\0';
    }
    for (uint16_t op : p.OpcodesBefore) Put16(s, op);

    Put16(s, opcode);
    if (opcode != 0x0098) Put32(s, 0xFF); // base address
    // Pixel map header, 46 bytes.
    Put16(s, (rowBytes & 0x3FFF) | (p.PixMapFlag ? 0x8000 : 0));
    Put16(s, 0), Put16(s, 0), Put16(s, p.Height), Put16(s, p.Width);
    Put16(s, 0); // pmVersion
    const int packType = p.PackType >= 0 ? p.PackType : (p.PixelSize == 16 ? 3 : p.PixelSize == 32 ? 4 : 0);
    const int cmpCount = p.CmpCount >= 0 ? p.CmpCount : (indexed ? 1 : 3);
    const int cmpSize = p.CmpSize >= 0 ? p.CmpSize : (p.PixelSize == 16 ? 5 : p.PixelSize == 32 ? 8 : p.PixelSize);
    Put16(s, packType);
    Put32(s, 0);          // packSize
    Put32(s, 0x00480000); // 72 dpi
    Put32(s, 0x00480000);
    Put16(s, indexed ? 0 : 16); // pixelType
    Put16(s, p.PixelSize);
    Put16(s, cmpCount);
    Put16(s, cmpSize);
    Put32(s, 0), Put32(s, 0), Put32(s, 0);
    if (opcode == 0x0098 && p.ColourTable) {
        Put32(s, 0);
        Put16(s, 0);
        const int ctSize = p.CtSizeOverride >= 0 ? p.CtSizeOverride : int(p.Palette.size()) - 1;
        Put16(s, ctSize);
        for (size_t i = 0; i < p.Palette.size(); ++i) {
            Put16(s, int(i));
            for (uint8_t c : p.Palette[i]) Put16(s, c << 8 | c);
        }
    }
    for (int k = 0; k < 2; ++k) Put16(s, 0), Put16(s, 0), Put16(s, p.Height), Put16(s, p.Width);
    Put16(s, 0); // srcCopy
    if (opcode == 0x009B) {
        Put16(s, 10);
        Put16(s, 0), Put16(s, 0), Put16(s, p.Height), Put16(s, p.Width);
    }

    if (p.UseRawPixelData) s += p.RawPixelData;
    for (int y = 0; y < p.Height && !p.Pixels.empty() && !p.UseRawPixelData; ++y) {
        const std::vector<uint8_t> row = RowBytesOf(p, y, rowBytes);
        if (rowBytes < 8) {
            if (indexed) s.append(reinterpret_cast<const char*>(row.data()), row.size());
            continue;
        }
        const std::string packed = PackBits(row, p.PixelSize == 16 ? 2 : 1, p.UseRuns);
        if (rowBytes > 250)
            Put16(s, int(packed.size()));
        else
            s += char(packed.size());
        s += packed;
    }
    if (s.size() % 2) s += '\0';
    Put16(s, 0x00FF);
    const size_t picSize = s.size() - 512;
    s[512] = char((picSize >> 8) & 0xFF);
    s[513] = char(picSize & 0xFF);
    return s;
}

} // namespace picttest
