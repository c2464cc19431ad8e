#pragma once
// Sounds in memory (mono float samples), read from WAVE and written as AIFF or
// WAVE, and the small synthesizer for the program's effect sounds, music and
// the film's noises.
#include <cstdint>
#include <string>
#include <vector>

namespace demodisc {

constexpr int kRate = 22050;

struct TSound {
    std::vector<float> Samples; // mono, kRate per second, -1 .. 1
    int Ms() const { return static_cast<int>(static_cast<long long>(Samples.size()) * 1000 / kRate); }
    void Append(const TSound& other) { Samples.insert(Samples.end(), other.Samples.begin(), other.Samples.end()); }
    void AppendSilence(int ms) { Samples.resize(Samples.size() + static_cast<size_t>(ms) * kRate / 1000, 0.f); }
    // Adds other into this sound from atMs on, growing it when needed.
    void MixIn(const TSound& other, int atMs, float gain = 1.f);
    void Scale(float gain);
    // Cuts leading and trailing near-silence, keeping a few milliseconds.
    void TrimSilence();
    // Scales so that the loudest sample reaches peak.
    void Normalize(float peak);
};

// Reads a 16-bit PCM WAVE file (mono or stereo, any rate; resampled to kRate).
TSound ReadWav(const std::string& path);
void WriteWav(const std::string& path, const TSound& sound);
// 16-bit mono AIFF, as the program's sound players read it.
void WriteAiff(const std::string& path, const TSound& sound);

// Deterministic noise source for room tone and effects.
class TNoise {
public:
    explicit TNoise(uint32_t seed) : state_(seed ? seed : 1) {}
    float Next(); // -1 .. 1
private:
    uint32_t state_;
};

// ---- synthesis -----------------------------------------------------------
// A note with a soft attack and exponential decay (a bell or marimba voice).
TSound Note(double freq, int ms, float level = 0.5f, double decay = 6.0, bool bright = false);
TSound Chord(const std::vector<double>& freqs, int ms, float level = 0.4f);
// A melody: (frequency or 0 for a rest, duration ms) pairs played as notes.
TSound Melody(const std::vector<std::pair<double, int>>& notes, float level = 0.45f, bool bright = false);
TSound Buzz(int ms, double freq, float level);
TSound Applause(int ms, uint32_t seed, float level);
TSound Bark(uint32_t seed);
TSound TrainSound(int ms, uint32_t seed);
TSound RoomTone(int ms, uint32_t seed, float level);
// Quiet music bed used under titles: a short tune in C major.
TSound TitleMusic(int variant);
// Loudness per film frame (40 ms), 0 .. 1, for the moving mouths.
std::vector<float> FrameLoudness(const TSound& sound);

} // namespace demodisc
