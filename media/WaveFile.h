#pragma once
// Standard RIFF WAVE files of PCM samples: the recorder saves them, tests and
// the diagnostics tool read them back.
#include <cstdint>
#include <string>
#include <vector>

namespace tav {

struct TWaveData {
    int Channels = 0;
    int SampleRate = 0;
    int BitsPerSample = 0;
    std::vector<uint8_t> Pcm; // little-endian samples, interleaved
};

// Encodes the whole file in memory (44-byte header + data).
std::vector<uint8_t> EncodeWave(const TWaveData& wave);
// Writes path; throws EMediaError with the reason when it cannot.
void WriteWaveFile(const std::string& path, const TWaveData& wave);
// Reads a PCM WAVE file; throws EMediaError when it is not one.
TWaveData ReadWaveFile(const std::string& path);
TWaveData DecodeWave(const std::vector<uint8_t>& bytes);

} // namespace tav
