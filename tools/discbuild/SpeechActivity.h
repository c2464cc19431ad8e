#pragma once
// Where people speak in a film: one audio track decoded to 16 kHz mono (the
// centre channel first for surround sound) and a speech probability for every
// 10 ms of it. The detector looks for voiced energy in the voice band
// (300-3400 Hz) rising above a floor that follows the background, in most of
// its bands at once, with a spectrum that keeps moving (held music notes keep
// theirs still), so that steady music, hum and noise do not count as speech.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace discbuild {

constexpr int kSpeechFrameMs = 10;
constexpr int kSpeechSampleRate = 16000;

struct TSpeechTrack {
    std::vector<float> Speech; // 0..1 per 10 ms frame, frame k covers [10k, 10k + 10) ms of the film
    int DurationMs = 0;        // Speech.size() * 10
    std::string Source;        // the track that was read, e.g. "sound track 1 of 2 (aac, 48000 Hz, 6 channels)"
    // Fraction of the frames that are clearly speech (probability >= 0.5).
    double SpeechFraction() const;
};

// Progress of the decoding: done fraction 0..1; returning false stops it.
using TSpeechProgressFn = std::function<bool(double)>;

// Decodes audio track audioTrack (0-based among the film's audio streams;
// -1 for the one ffmpeg thinks best) and finds its speech. Video packets are
// skipped without decoding. Throws std::runtime_error in plain words when the
// file cannot be opened, holds no sound, the track does not exist, nothing
// can be decoded, or progress asked to stop. A damaged stretch in the middle
// is skipped (and the time line kept in step from the packets' times).
TSpeechTrack ReadSpeech(const std::string& film, int audioTrack = -1, const TSpeechProgressFn& progress = {});

// The detector alone, fed with 16 kHz mono samples in pieces of any size.
class TSpeechDetector {
public:
    TSpeechDetector();
    void Feed(const float* samples, size_t count);
    // Appends silence (e.g. for a gap in the film's sound).
    void FeedSilence(size_t count);
    size_t SamplesFed() const { return Fed; }
    // The speech probabilities of everything fed so far (ends the detector).
    TSpeechTrack Finish();

private:
    void AnalyseFrame(const float* samples); // kWin samples

    std::vector<float> Window, WindowAc; // analysis window and its autocorrelation
    std::vector<float> Pending;          // samples not yet covered by a whole frame
    size_t Fed = 0;
    // Per 10 ms frame: band powers, voicing 0..1, whole-band level (dB),
    // spectral stability (-1..1, ends at the frame).
    std::vector<float> BandPower;
    std::vector<float> Voicing, LevelDb, Stability;
    // The voice band's spectral shape of the last frames, for Stability.
    static constexpr int kShapeLow = 10, kShapeBins = 99, kShapeLag = 8;
    std::array<std::array<float, kShapeBins>, kShapeLag + 1> Shapes{};
};

} // namespace discbuild
