#pragma once
// The analysis behind the studio's shadowing view: for the actor's line and
// the learner's take, a loudness envelope and a pitch contour (aubio's
// YIN tracker) on one time grid, so rhythm and melody can be compared.
#include <string>
#include <vector>

namespace tav {

struct TVoiceTrack {
    double HopSeconds = 0;      // time between two values below
    std::vector<float> Peak;    // loudest sample of each hop, 0..1
    std::vector<float> PitchHz; // 0 where the voice is silent or unvoiced
    double Seconds() const { return HopSeconds * double(Peak.size()); }
};

struct TShadowAnalysis {
    TVoiceTrack Actor, Learner;
    double Seconds = 0; // the longer of the two
};

// One voice tracked: mono samples at rate.
TVoiceTrack AnalyseVoice(const std::vector<float>& mono, int rate);

TShadowAnalysis AnalyseShadowing(const std::vector<float>& actorMono, int actorRate,
                                 const std::vector<float>& learnerMono, int learnerRate);

// A studio take (16-bit PCM WAVE) as mono samples; throws EMediaError when
// the file is not one. rate receives its sample rate.
std::vector<float> ReadTakeMono(const std::string& waveFile, int* rate);

} // namespace tav
