#include "media/WaveFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "media/MediaDecoder.h"

namespace tav {

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }
uint32_t Get32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

} // namespace

std::vector<uint8_t> EncodeWave(const TWaveData& w) {
    const uint16_t blockAlign = static_cast<uint16_t>(w.Channels * w.BitsPerSample / 8);
    const size_t dataSize = w.Pcm.size() - w.Pcm.size() % (blockAlign ? blockAlign : 1);
    std::vector<uint8_t> out;
    out.reserve(44 + dataSize + 1);
    PutTag(out, "RIFF");
    Put32(out, static_cast<uint32_t>(36 + dataSize + (dataSize & 1)));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, static_cast<uint16_t>(w.Channels));
    Put32(out, static_cast<uint32_t>(w.SampleRate));
    Put32(out, static_cast<uint32_t>(w.SampleRate) * blockAlign);
    Put16(out, blockAlign);
    Put16(out, static_cast<uint16_t>(w.BitsPerSample));
    PutTag(out, "data");
    Put32(out, static_cast<uint32_t>(dataSize));
    out.insert(out.end(), w.Pcm.begin(), w.Pcm.begin() + static_cast<long>(dataSize));
    if (dataSize & 1) out.push_back(0); // chunks are padded to even length
    return out;
}

void WriteWaveFile(const std::string& path, const TWaveData& wave) {
    const std::vector<uint8_t> bytes = EncodeWave(wave);
    // Written beside the target and renamed, so a failure never leaves half a file.
    const std::string temp = path + ".part";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) throw EMediaError("cannot write '" + path + "': " + std::strerror(errno));
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    const int err = errno;
    if (std::fclose(f) != 0 || !ok) {
        std::remove(temp.c_str());
        throw EMediaError("cannot write '" + path + "': " + std::strerror(ok ? errno : err));
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        const int e = errno;
        std::remove(temp.c_str());
        throw EMediaError("cannot write '" + path + "': " + std::strerror(e));
    }
}

TWaveData DecodeWave(const std::vector<uint8_t>& b) {
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 || std::memcmp(b.data() + 8, "WAVE", 4) != 0)
        throw EMediaError("not a WAVE file");
    TWaveData w;
    bool haveFmt = false;
    size_t pos = 12;
    while (pos + 8 <= b.size()) {
        const uint8_t* h = b.data() + pos;
        const size_t size = Get32(h + 4);
        const size_t body = pos + 8;
        if (std::memcmp(h, "fmt ", 4) == 0 && size >= 16 && body + 16 <= b.size()) {
            if (Get16(b.data() + body) != 1) throw EMediaError("the WAVE file is not PCM");
            w.Channels = Get16(b.data() + body + 2);
            w.SampleRate = static_cast<int>(Get32(b.data() + body + 4));
            w.BitsPerSample = Get16(b.data() + body + 14);
            haveFmt = true;
        } else if (std::memcmp(h, "data", 4) == 0) {
            if (!haveFmt) throw EMediaError("the WAVE file has no format chunk");
            const size_t n = std::min(size, b.size() - body);
            w.Pcm.assign(b.begin() + static_cast<long>(body), b.begin() + static_cast<long>(body + n));
            return w;
        }
        pos = body + size + (size & 1);
    }
    throw EMediaError("the WAVE file has no data chunk");
}

TWaveData ReadWaveFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw EMediaError("cannot open '" + path + "': no such file");
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return DecodeWave(bytes);
}

} // namespace tav
