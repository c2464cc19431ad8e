// What the screenplay's line tools need of the media layer: plays that end
// just before a position (a line's end) with their sound cut there, and
// slowed plays whose sound keeps its pitch while the pictures follow it.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cmath>
#include <vector>

#include "MediaClips.h"
#include "NotifySink.h"
#include "TestSupport.h"
#include "media/AudioOutput.h"
#include "media/MCIControl.h"
#include "media/TempoFilter.h"

using namespace tav;
using tavtest::FrameNumberOf;
using tavtest::MediaClips;
using tavtest::TNotifySink;

namespace {

// Frequency of a stereo sine by its upward zero crossings over [from, to).
double FrequencyOf(const std::vector<float>& stereo, int rate, size_t from, size_t to) {
    int crossings = 0;
    size_t first = 0, last = 0;
    for (size_t i = from + 1; i < to; ++i) {
        if (stereo[2 * (i - 1)] < 0 && stereo[2 * i] >= 0) {
            if (crossings == 0) first = i;
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2) return 0;
    return (crossings - 1) * double(rate) / double(last - first);
}

} // namespace

TEST(TempoFilter, SlowsTheSoundToItsLengthAndKeepsItsPitch) {
    const int rate = 48000;
    std::vector<float> tone(size_t(rate) * 2);
    for (int i = 0; i < rate; ++i) tone[2 * i] = tone[2 * i + 1] = float(0.3 * std::sin(2 * M_PI * 440.0 * i / rate));
    for (double tempo : {0.75, 0.5}) {
        TTempoFilter filter(tempo, rate);
        std::vector<float> out;
        for (size_t at = 0; at < size_t(rate); at += 1024)
            filter.Feed(&tone[2 * at], std::min<size_t>(1024, size_t(rate) - at), out);
        filter.Finish(out);
        const double seconds = double(out.size() / 2) / rate;
        EXPECT_NEAR(seconds, 1.0 / tempo, 0.01 / tempo) << tempo;
        const size_t n = out.size() / 2;
        EXPECT_NEAR(FrequencyOf(out, rate, n / 4, 3 * n / 4), 440.0, 440.0 * 0.02) << "pitch kept at " << tempo;
    }
}

namespace {

class ExactEnd : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        const auto& c = MediaClips();
        const std::string& k = GetParam();
        const std::string path = k == "mpeg1" ? c.Mpeg1 : k == "mpeg2" ? c.Mpeg2 : k == "avi" ? c.Avi : c.H264;
        player.Open(path, nullptr, ooFilmUnits);
        player.SetDisplayWindow(&panel);
    }
    // Plays and collects every picture number shown until the completion.
    std::vector<int> PlayAndWatch(int from, int end) {
        std::vector<int> shown;
        sink.Notes.clear();
        panel.Clear(); // only this play's pictures count
        player.PlayTo(from, end, false, &sink);
        EXPECT_TRUE(tavtest::WaitUntil([&] {
            const int n = FrameNumberOf(panel.Frame());
            if (n >= 0 && (shown.empty() || shown.back() != n)) shown.push_back(n);
            return !sink.Notes.empty();
        }, 10000));
        tavtest::Pump(120);
        const int n = FrameNumberOf(panel.Frame());
        if (n >= 0 && (shown.empty() || shown.back() != n)) shown.push_back(n);
        return shown;
    }
    TVideoPanel panel;
    TMCIPlayer player;
    TNotifySink sink;
};

} // namespace

TEST_P(ExactEnd, StandsOnThePictureBeforeTheEndAndItsSoundStopsThere) {
    for (auto [from, end] : {std::pair{40, 52}, std::pair{11, 25}, std::pair{236, 249}}) {
        const std::vector<int> shown = PlayAndWatch(from, end);
        ASSERT_EQ(sink.Notes.size(), 1u) << from << ".." << end;
        EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), from);
        EXPECT_EQ(shown.back(), end - 1) << "the last picture of the range, never the one at its end";
        EXPECT_EQ(player.GetPosition(), end - 1);
        if (GetParam() != "mpeg2") { // the others carry sound
            EXPECT_NEAR(player.LastPlaySoundEndMs(), end * 40.0, 20.0) << from << ".." << end;
        }
    }
}

TEST_P(ExactEnd, SlowedPlayLastsLongerInStepAndEndsTheSameWay) {
    for (double rate : {0.5, 0.75}) {
        player.SetRate(rate);
        QElapsedTimer t;
        t.start();
        const std::vector<int> shown = PlayAndWatch(100, 125);
        const double ms = t.elapsed();
        ASSERT_EQ(sink.Notes.size(), 1u);
        EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
        // 25 units of 40 ms last 1 s / rate; the completion comes a little after.
        EXPECT_GT(ms, 1000 / rate - 60) << rate;
        EXPECT_LT(ms, 1000 / rate + 400) << rate;
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown.front(), 100);
        EXPECT_EQ(shown.back(), 124);
        for (size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]);
        EXPECT_GE(shown.size(), 20u) << "pictures step on, not jump";
        if (GetParam() != "mpeg2") {
            const double seconds = double(player.LastPlaySoundFrames()) / TAudioOutput::Instance().Rate();
            EXPECT_NEAR(seconds, 1.0 / rate, 0.01 / rate) << "sound slowed by " << rate;
        }
    }
    player.SetRate(1.0);
    const std::vector<int> shown = PlayAndWatch(10, 20);
    EXPECT_EQ(shown.back(), 19);
    if (GetParam() != "mpeg2") {
        EXPECT_NEAR(double(player.LastPlaySoundFrames()) / TAudioOutput::Instance().Rate(), 0.4, 0.02);
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, ExactEnd, ::testing::Values("mpeg1", "mpeg2", "h264", "avi"));
