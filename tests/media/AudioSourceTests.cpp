// The per-player sound buffer the mixer pulls from: order across the ring's
// wrap, gain, mute (silent but still consuming, so the clock runs on), and
// the start gate.
#include <gtest/gtest.h>

#include <vector>

#include "media/AudioOutput.h"

using namespace tav;

namespace {

std::vector<float> Ramp(size_t frames, float start) {
    std::vector<float> v;
    for (size_t i = 0; i < frames; ++i) {
        v.push_back(start + static_cast<float>(i));
        v.push_back(-(start + static_cast<float>(i)));
    }
    return v;
}

} // namespace

TEST(AudioSource, KeepsOrderAcrossTheRingsWrapAndReportsConsumption) {
    TAudioSource source(100, 0.1); // room for 10 frames
    source.SetRunning(true);
    auto a = Ramp(7, 0);
    EXPECT_EQ(source.Push(a.data(), 7), 7u);
    std::vector<float> out(10, 0.0f);
    source.MixInto(out.data(), 5);
    EXPECT_EQ(out[0], 0.0f);
    EXPECT_EQ(out[8], 4.0f);
    EXPECT_EQ(out[9], -4.0f);
    auto b = Ramp(8, 7);
    EXPECT_EQ(source.Push(b.data(), 8), 8u) << "two left plus eight new fit in ten";
    EXPECT_EQ(source.FreeFrames(), 0u);
    EXPECT_EQ(source.Push(b.data(), 1), 0u) << "a full buffer takes nothing";
    std::vector<float> rest(20, 0.0f);
    source.MixInto(rest.data(), 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(rest[2 * i], static_cast<float>(5 + i)) << i;
    EXPECT_EQ(source.ConsumedFrames(), 15);
    EXPECT_EQ(source.BufferedFrames(), 0u);
    EXPECT_FALSE(source.Drained()) << "not drained until marked ended";
    source.MarkEnded();
    EXPECT_TRUE(source.Drained());
}

TEST(AudioSource, GainAndMuteScaleButTimeRunsOn) {
    TAudioSource source(100, 1.0);
    source.SetRunning(true);
    auto a = Ramp(4, 1);
    source.Push(a.data(), 4);
    source.SetGain(0.5f);
    std::vector<float> out(4, 0.25f); // mixing adds to what is there
    source.MixInto(out.data(), 2);
    EXPECT_FLOAT_EQ(out[0], 0.25f + 0.5f);
    EXPECT_FLOAT_EQ(out[2], 0.25f + 1.0f);
    source.SetMuted(true);
    std::vector<float> silent(4, 0.0f);
    source.MixInto(silent.data(), 2);
    EXPECT_EQ(silent, std::vector<float>(4, 0.0f));
    EXPECT_EQ(source.ConsumedFrames(), 4) << "muted sound still advances the clock";
}

TEST(AudioSource, NothingIsTakenBeforeThePlayStarts) {
    TAudioSource source(100, 1.0);
    auto a = Ramp(4, 1);
    source.Push(a.data(), 4);
    std::vector<float> out(8, 0.0f);
    source.MixInto(out.data(), 4);
    EXPECT_EQ(source.ConsumedFrames(), 0);
    EXPECT_EQ(out, std::vector<float>(8, 0.0f));
    source.SetRunning(true);
    source.MixInto(out.data(), 4);
    EXPECT_EQ(source.ConsumedFrames(), 4);
}

TEST(AudioSource, PlayedTimeIsSmoothButNeverAheadOfTheSamples) {
    TAudioSource source(1000, 1.0); // one frame per millisecond
    source.SetRunning(true);
    auto a = Ramp(10, 0);
    source.Push(a.data(), 10);
    EXPECT_EQ(source.PlayedUs(MonotonicUs()), 0);
    std::vector<float> out(20, 0.0f);
    source.MixInto(out.data(), 4);
    const int64_t t = MonotonicUs();
    const int64_t mid = source.PlayedUs(t + 2000);
    EXPECT_GE(mid, 2000);
    EXPECT_LT(mid, 4000) << "between mixer calls time moves on smoothly";
    EXPECT_EQ(source.PlayedUs(t + 100000), 4000) << "but never beyond the samples given out";
    source.MixInto(out.data(), 6);
    const int64_t t2 = MonotonicUs();
    EXPECT_EQ(source.PlayedUs(t2 + 100000), 10000) << "an underrun holds the clock";
    source.MarkEnded();
    EXPECT_GE(source.PlayedUs(t2 + 100000), 104000) << "after the last sample time runs on";
}
