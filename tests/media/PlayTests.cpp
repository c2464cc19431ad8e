// Range plays: the last frame shown holds the range end, exactly one
// completion follows, and new plays, seeks, stops and closes end a pending
// play with the right outcome. Runs on the null output (SDL dummy driver).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include "MediaClips.h"
#include "NotifySink.h"
#include "TestSupport.h"
#include "media/AudioOutput.h"
#include "media/MCIControl.h"

using namespace tav;
using tavtest::FrameNumberOf;
using tavtest::MediaClips;
using tavtest::TNotifySink;

namespace {

class RangePlay : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        const auto& c = MediaClips();
        const std::string& k = GetParam();
        path = k == "mpeg1" ? c.Mpeg1 : k == "mpeg2" ? c.Mpeg2 : k == "avi" ? c.Avi : k == "mov" ? c.Mov : c.H264;
        player.Open(path, nullptr, ooFilmUnits);
        // Frames go to a panel of our own rather than a top-level window.
        player.SetDisplayWindow(&panel);
    }
    // Waits for the first completion, then lets stragglers arrive.
    void WaitForNotes(size_t count) {
        ASSERT_TRUE(tavtest::WaitUntil([&] { return sink.Notes.size() >= count; }, 8000));
        tavtest::Pump(150);
    }
    std::string path;
    TVideoPanel panel;
    TMCIPlayer player;
    TNotifySink sink;
};

} // namespace

TEST_P(RangePlay, EndsOnTheFrameHoldingTheEndWithOneCompletion) {
    for (auto [from, to] : {std::pair{40, 52}, std::pair{11, 25}, std::pair{236, 249}}) {
        sink.Notes.clear();
        player.Play(from, to, false, &sink);
        WaitForNotes(1);
        ASSERT_EQ(sink.Notes.size(), 1u) << from << ".." << to;
        EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
        EXPECT_EQ(sink.Notes[0].Device, player.DeviceID);
        EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), to) << from << ".." << to;
        EXPECT_EQ(FrameNumberOf(panel.Frame()), to);
        EXPECT_EQ(player.GetPosition(), to);
        EXPECT_FALSE(player.IsPlaying());
    }
}

TEST_P(RangePlay, StartsOnTheExactFrameAndShowsTheRangeInOrder) {
    std::vector<int> shown;
    player.Play(30, 45, false, &sink);
    ASSERT_TRUE(tavtest::WaitUntil([&] {
        int n = FrameNumberOf(player.CurrentFrame());
        if (n >= 0 && (shown.empty() || shown.back() != n)) shown.push_back(n);
        return !sink.Notes.empty();
    }, 8000));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), 30);
    EXPECT_EQ(shown.back(), 45);
    for (size_t i = 1; i < shown.size(); ++i) EXPECT_GT(shown[i], shown[i - 1]) << "frames run forward";
    // Real time: 15 frames of 40 ms are shown over about 600 ms, not at once,
    // so several distinct frames were seen on the way.
    EXPECT_GE(shown.size(), 5u);
}

TEST_P(RangePlay, WaitingPlayReturnsAfterTheRangeInRealTime) {
    QElapsedTimer t;
    t.start();
    player.Play(100, 125, true, &sink);
    const qint64 elapsed = t.elapsed();
    EXPECT_GE(elapsed, 900) << "one second of film plays for about a second";
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 125);
    WaitForNotes(1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
}

TEST_P(RangePlay, StillFrameIsPlayOfAnEmptyRange) {
    player.Play(137, 137, true, &sink);
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 137);
    WaitForNotes(1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(player.GetPosition(), 137);

    sink.Notes.clear();
    player.Play(12, 12, false, &sink);
    WaitForNotes(1);
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 12);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
}

TEST_P(RangePlay, ANewPlaySupersedesThePendingOne) {
    player.Play(10, 200, false, &sink);
    tavtest::Pump(100);
    player.Play(60, 70, false, &sink);
    WaitForNotes(2);
    ASSERT_EQ(sink.Notes.size(), 2u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUPERSEDED);
    EXPECT_EQ(sink.Notes[1].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 70);
}

TEST_P(RangePlay, BackToBackPlaysEachSupersedeTheLast) {
    for (int i = 0; i < 5; ++i) player.Play(20 * i, 20 * i + 50, false, &sink);
    WaitForNotes(5);
    ASSERT_EQ(sink.Notes.size(), 5u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(sink.Notes[i].Outcome, MCI_NOTIFY_SUPERSEDED);
    EXPECT_EQ(sink.Notes[4].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 130);
}

TEST_P(RangePlay, SeekSupersedesAndStopAborts) {
    player.Play(10, 200, false, &sink);
    tavtest::Pump(80);
    player.Seek(150);
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 150);
    WaitForNotes(1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUPERSEDED);

    sink.Notes.clear();
    player.Play(50, 200, false, &sink);
    tavtest::Pump(300);
    player.Stop(false);
    const int at = player.GetPosition();
    EXPECT_GE(at, 50);
    EXPECT_LT(at, 200);
    WaitForNotes(1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_ABORTED);
    tavtest::Pump(200);
    EXPECT_EQ(player.GetPosition(), at) << "a stopped player stays where it stopped";
}

TEST_P(RangePlay, StopWithRewindLeavesPositionZero) {
    player.Play(50, 100, false, nullptr);
    tavtest::Pump(100);
    player.Stop(true);
    EXPECT_EQ(player.GetPosition(), 0);
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 0);
}

TEST_P(RangePlay, PlayFromHereToTheEnd) {
    player.Seek(244);
    player.Play(-1, -1, false, &sink);
    WaitForNotes(1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 249);
    EXPECT_EQ(player.GetPosition(), player.GetLength());
}

TEST_P(RangePlay, ClosingAbortsAPendingPlay) {
    player.Play(10, 200, false, &sink);
    const int id = player.DeviceID;
    player.Close();
    WaitForNotes(1);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_ABORTED);
    EXPECT_EQ(sink.Notes[0].Device, id);
    EXPECT_EQ(player.DeviceID, 0);
}

INSTANTIATE_TEST_SUITE_P(Clips, RangePlay, ::testing::Values("mpeg1", "mpeg2", "h264", "avi", "mov"),
                         [](const auto& info) { return info.param; });

TEST(SoundPlay, WaveAndAiffPlayInMillisecondsAndComplete) {
    for (const std::string& path : {MediaClips().Wave, MediaClips().Aiff}) {
        TMCIPlayer player;
        TNotifySink sink;
        player.Open(path, nullptr, 0);
        EXPECT_FALSE(player.HasVideo) << path;
        EXPECT_EQ(player.UnitDivisor, 1);
        EXPECT_NEAR(player.GetLength(), 1500, 2) << path;
        QElapsedTimer t;
        t.start();
        player.Play(1000, 1300, false, &sink);
        ASSERT_TRUE(tavtest::WaitUntil([&] { return !sink.Notes.empty(); }, 5000)) << path;
        EXPECT_GE(t.elapsed(), 250) << "300 ms of sound take about 300 ms";
        ASSERT_EQ(sink.Notes.size(), 1u);
        EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
        EXPECT_EQ(player.GetPosition(), 1300);
    }
}

TEST(SoundPlay, WaitingCueSoundToTheEnd) {
    TMCIPlayer player;
    player.Open(MediaClips().Wave, nullptr, 0);
    player.Seek(0);
    player.Play(1200, -1, true, nullptr);
    EXPECT_EQ(player.GetPosition(), player.GetLength());
    EXPECT_FALSE(player.IsPlaying());
}

TEST(SoundPlay, NullOutputIsUsedWithoutASoundDevice) {
    // The tests run with SDL's dummy driver: no device, yet plays complete
    // (checked above) because the null output keeps time.
    if (qgetenv("SDL_AUDIODRIVER") != "dummy") GTEST_SKIP() << "needs SDL_AUDIODRIVER=dummy";
    EXPECT_TRUE(TAudioOutput::Instance().IsNull());
}

TEST(SoundPlay, RealOutputDriverKeepsTime) {
    // Under SDL's disk driver the device's own callback consumes the sound in
    // real time: the clock follows it.
    if (qgetenv("SDL_AUDIODRIVER") != "disk") GTEST_SKIP() << "needs SDL's disk driver";
    EXPECT_FALSE(TAudioOutput::Instance().IsNull());
    EXPECT_EQ(TAudioOutput::Instance().DriverName(), "disk");
}

TEST(SoundPlay, TwoPlayersMixAndCompleteIndependently) {
    TMCIPlayer film, sound;
    TNotifySink filmSink, soundSink;
    TVideoPanel panel;
    film.Open(MediaClips().H264, &panel, ooFilmUnits);
    sound.Open(MediaClips().Wave, nullptr, 0);
    film.Play(0, 20, false, &filmSink);
    sound.Play(0, 400, false, &soundSink);
    ASSERT_TRUE(tavtest::WaitUntil([&] { return !filmSink.Notes.empty() && !soundSink.Notes.empty(); }, 8000));
    EXPECT_EQ(filmSink.Notes[0].Device, film.DeviceID);
    EXPECT_EQ(soundSink.Notes[0].Device, sound.DeviceID);
    EXPECT_NE(film.DeviceID, sound.DeviceID);
    EXPECT_EQ(filmSink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(soundSink.Notes[0].Outcome, MCI_NOTIFY_SUCCESSFUL);
    EXPECT_EQ(FrameNumberOf(film.CurrentFrame()), 20);
}

TEST(FullScreenPlay, PicturesGoFullScreenAndComeBackToThePanel) {
    TMCIPlayer player;
    TVideoPanel panel;
    TNotifySink sink;
    player.Open(MediaClips().Mpeg1, &panel, ooFilmUnits | ooFitPanel);
    player.Seek(10);
    player.Play(10, 200, false, &sink, true);
    ASSERT_NE(player.FullScreenWindow(), nullptr);
    tavtest::Pump(200);
    const int full = FrameNumberOf(player.FullScreenWindow()->Frame());
    EXPECT_GT(full, 10) << "the full-screen window shows the play";
    EXPECT_EQ(FrameNumberOf(panel.Frame()), 10) << "the panel keeps its picture meanwhile";
    player.Stop(false);
    EXPECT_EQ(player.FullScreenWindow(), nullptr);
    EXPECT_EQ(player.Panel(), &panel) << "the display window is kept";
    player.Play(30, 35, true, nullptr);
    EXPECT_EQ(FrameNumberOf(panel.Frame()), 35) << "a windowed play shows in the panel again";
}

TEST(WaitingPlay, PostedMessagesRunAndMayEvenFreeThePlayer) {
    auto* player = new TMCIPlayer;
    TVideoPanel panel;
    player->Open(MediaClips().Mpeg1, &panel, ooFilmUnits);
    bool ran = false;
    // A screen change posted meanwhile destroys the screen and its player.
    QTimer::singleShot(150, [&] {
        ran = true;
        delete player;
        player = nullptr;
    });
    QElapsedTimer t;
    t.start();
    TMCIPlayer* self = player;
    self->Play(0, 200, true, nullptr); // returns early: its device is gone
    EXPECT_TRUE(ran);
    EXPECT_EQ(player, nullptr);
    EXPECT_LT(t.elapsed(), 4000);
}

TEST(WaitingPlay, ASeekFromAPostedMessageEndsTheWait) {
    TMCIPlayer player;
    TVideoPanel panel;
    TNotifySink sink;
    player.Open(MediaClips().Mpeg1, &panel, ooFilmUnits);
    QTimer::singleShot(150, [&] { player.Seek(200); });
    player.Play(0, 150, true, &sink);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 200);
    tavtest::Pump(50);
    ASSERT_EQ(sink.Notes.size(), 1u);
    EXPECT_EQ(sink.Notes[0].Outcome, MCI_NOTIFY_SUPERSEDED);
}

// A handler run inside a waiting play may start another waiting play on the
// same device (a cue sound played again): when that one ends, the first
// play is long over, and its wait must end too instead of waiting for a
// completion that already went to the inner wait.
TEST(WaitingPlay, ANestedWaitingPlayOfTheSameDeviceEndsTheOuterWaitToo) {
    TMCIPlayer player;
    TVideoPanel panel;
    TNotifySink sink;
    player.Open(MediaClips().Mpeg1, &panel, ooFilmUnits);
    bool nested = false, rescued = false;
    QObject scope; // its timers die with the test
    QTimer::singleShot(100, &scope, [&] {
        nested = true;
        player.Play(50, 55, true, &sink);
    });
    // Were the outer wait left hanging, this frees it (and marks the fault).
    QTimer::singleShot(6000, &scope, [&] {
        rescued = true;
        player.Stop(false);
    });
    player.Play(0, 150, true, &sink);
    EXPECT_TRUE(nested);
    EXPECT_FALSE(rescued) << "the outer wait hung after the nested play ended";
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), 55);
}

TEST(WaitingPlay, ADeviceFreedInsideANestedWaitEndsBothWaits) {
    auto* player = new TMCIPlayer;
    TVideoPanel panel;
    player->Open(MediaClips().Mpeg1, &panel, ooFilmUnits);
    TMCIPlayer* self = player;
    bool freed = false;
    QObject scope; // its timers die with the test
    QTimer::singleShot(100, &scope, [&] {
        QTimer::singleShot(100, &scope, [&] {
            delete player;
            player = nullptr;
            freed = true;
        });
        self->Play(20, 200, true, nullptr);
    });
    bool rescued = false;
    QTimer::singleShot(6000, &scope, [&] {
        rescued = true;
        QCoreApplication::exit(0); // ends every running loop
    });
    self->Play(0, 200, true, nullptr);
    EXPECT_TRUE(freed);
    EXPECT_FALSE(rescued) << "the outer wait hung on a freed device";
}
