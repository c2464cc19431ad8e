#include "viewer/Shadowing.h"

#include <aubio/aubio.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "media/MediaDecoder.h"
#include "media/WaveFile.h"

namespace tav {

namespace {

// About 11.6 ms hops and a 46 ms window at 22,050 Hz: fine enough for
// syllables, long enough for a low male voice.
constexpr double kHopSeconds = 256.0 / 22050.0;
constexpr double kWindowSeconds = 1024.0 / 22050.0;
constexpr float kMinConfidence = 0.8f;
// YIN through the FFT ("yinfast"): the same estimate as plain YIN, quicker,
// and with a confidence. aubio's "yinfft" reports no confidence (always 0),
// so it cannot tell a voice from noise.
const char* const kMethod = "yinfast";
constexpr float kLowestHz = 60.0f, kHighestHz = 800.0f;

struct TPitchFree {
    void operator()(aubio_pitch_t* p) const { del_aubio_pitch(p); }
};
struct TVecFree {
    void operator()(fvec_t* v) const { del_fvec(v); }
};

} // namespace

TVoiceTrack AnalyseVoice(const std::vector<float>& mono, int rate) {
    TVoiceTrack track;
    if (rate <= 0) return track;
    const uint_t hop = uint_t(std::max(32L, std::lround(kHopSeconds * rate)));
    uint_t window = 1;
    while (window < uint_t(kWindowSeconds * rate)) window <<= 1;
    track.HopSeconds = double(hop) / rate;

    std::unique_ptr<aubio_pitch_t, TPitchFree> pitch(new_aubio_pitch(kMethod, window, hop, uint_t(rate)));
    std::unique_ptr<fvec_t, TVecFree> in(new_fvec(hop)), out(new_fvec(1));
    if (!pitch || !in || !out) return track;
    aubio_pitch_set_unit(pitch.get(), "Hz");
    aubio_pitch_set_silence(pitch.get(), -45.0f);

    const size_t hops = mono.size() / hop;
    track.Peak.resize(hops);
    track.PitchHz.resize(hops);
    for (size_t h = 0; h < hops; ++h) {
        float peak = 0;
        for (uint_t i = 0; i < hop; ++i) {
            const float s = mono[h * hop + i];
            in->data[i] = s;
            peak = std::max(peak, std::fabs(s));
        }
        aubio_pitch_do(pitch.get(), in.get(), out.get());
        const float hz = out->data[0];
        const float confidence = aubio_pitch_get_confidence(pitch.get());
        track.Peak[h] = std::min(peak, 1.0f);
        track.PitchHz[h] = (confidence >= kMinConfidence && hz >= kLowestHz && hz <= kHighestHz) ? hz : 0.0f;
    }
    // The tracker answers for the window that ends at a hop; its middle lies
    // half a window earlier, so the contour is moved back to sit on the sound.
    const size_t lag = std::min(hops, size_t((window / 2) / hop));
    if (lag > 0) {
        std::rotate(track.PitchHz.begin(), track.PitchHz.begin() + ptrdiff_t(lag), track.PitchHz.end());
        std::fill(track.PitchHz.end() - ptrdiff_t(lag), track.PitchHz.end(), 0.0f);
    }
    return track;
}

TShadowAnalysis AnalyseShadowing(const std::vector<float>& actorMono, int actorRate,
                                 const std::vector<float>& learnerMono, int learnerRate) {
    TShadowAnalysis a;
    a.Actor = AnalyseVoice(actorMono, actorRate);
    a.Learner = AnalyseVoice(learnerMono, learnerRate);
    a.Seconds = std::max(a.Actor.Seconds(), a.Learner.Seconds());
    return a;
}

std::vector<float> ReadTakeMono(const std::string& waveFile, int* rate) {
    const TWaveData wave = ReadWaveFile(waveFile);
    if (wave.BitsPerSample != 16 || wave.Channels < 1) throw EMediaError("the take is not 16-bit PCM");
    const size_t frames = wave.Pcm.size() / 2 / size_t(wave.Channels);
    std::vector<float> mono(frames);
    for (size_t i = 0; i < frames; ++i) {
        float sum = 0;
        for (int c = 0; c < wave.Channels; ++c) {
            const size_t at = (i * size_t(wave.Channels) + size_t(c)) * 2;
            sum += float(int16_t(uint16_t(wave.Pcm[at]) | uint16_t(wave.Pcm[at + 1] << 8))) / 32768.0f;
        }
        mono[i] = sum / float(wave.Channels);
    }
    if (rate) *rate = wave.SampleRate;
    return mono;
}

} // namespace tav
