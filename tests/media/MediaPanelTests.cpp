// The media panel: its properties and operations on the numbered test clips.
#include <gtest/gtest.h>

#include "MediaClips.h"
#include "TestSupport.h"
#include "media/VideoPanel.h"
#include "media/ZrMedia.h"
#include "platform/Messages.h"

using namespace tav;
using tavtest::FrameNumberOf;
using tavtest::MediaClips;

namespace {

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EMediaPanelError& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("(other error) ") + e.what();
    }
    return "(no error)";
}

class MediaPanel : public ::testing::Test {
protected:
    MediaPanel() {
        media.resize(200, 150);
        media.OnMediaComplete = [this] { ++completions; };
    }
    TVideoPanel* Picture() { return media.findChild<TVideoPanel*>(); }
    TZrMedia media;
    int completions = 0;
};

} // namespace

TEST_F(MediaPanel, DefaultsAndClosedBehaviour) {
    EXPECT_EQ(media.MediaStart(), -1);
    EXPECT_EQ(media.MediaEnd(), -1);
    EXPECT_EQ(media.MediaVolume(), -1);
    EXPECT_EQ(media.MediaBreakKey(), -1);
    EXPECT_FALSE(media.MediaIsOpen());
    EXPECT_FALSE(media.MediaIsPlaying());
    EXPECT_EQ(media.MediaPosition(), -1);
    EXPECT_EQ(media.MediaLength(), -1);
    EXPECT_EQ(media.palette().color(QPalette::Window), QColor(0, 0, 128));
    for (auto op : std::vector<std::function<void()>>{[&] { media.Play(); }, [&] { media.Resume(); },
                                                      [&] { media.Pause(); }, [&] { media.Stop(); }})
        EXPECT_EQ(ErrorOf(op), "Media not open");
    media.Open(); // no file: stays closed
    EXPECT_FALSE(media.MediaIsOpen());
}

TEST_F(MediaPanel, OpensAtItsStartAndPlaysToTheEndOnce) {
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.SetMediaStart(2000);
    media.SetMediaEnd(2400);
    media.SetMediaIsOpen(true);
    ASSERT_TRUE(media.MediaIsOpen());
    EXPECT_TRUE(media.HasVideo);
    EXPECT_EQ(media.NaturalRect, (TMCIRect{0, 0, 352, 288}));
    EXPECT_EQ(media.MediaPosition(), 2000);
    media.Play();
    EXPECT_TRUE(media.MediaIsPlaying());
    ASSERT_TRUE(tavtest::WaitUntil([&] { return completions > 0; }, 5000));
    tavtest::Pump(100);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(media.MediaPosition(), 2400);
    EXPECT_EQ(FrameNumberOf(media.Device().CurrentFrame()), 60);
}

TEST_F(MediaPanel, OnlyItsLatestSectionCompletesOrFails) {
    int failures = 0;
    media.OnMediaFailed = [&] { ++failures; };
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.SetMediaStart(2000);
    media.SetMediaEnd(6000);
    media.SetMediaIsOpen(true);
    media.Play();
    const uint32_t first = media.Device().PlaySerial();
    // The end of the first section, queued just before the next started.
    PostMessage(&media, MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, media.DeviceID(), first);
    media.SetMediaStart(1000);
    media.SetMediaEnd(1200);
    media.Play();
    ASSERT_NE(media.Device().PlaySerial(), first);
    tavtest::Pump(50);
    EXPECT_EQ(completions, 0) << "a stale end completed the new section";
    ASSERT_TRUE(tavtest::WaitUntil([&] { return completions > 0; }, 5000));
    EXPECT_EQ(completions, 1);
    // A section that fails (its data ends early) says so and completes not.
    media.SetMediaStart(3000);
    media.SetMediaEnd(3400);
    media.Play();
    PostMessage(&media, MM_MCINOTIFY, MCI_NOTIFY_FAILURE, media.DeviceID(), media.Device().PlaySerial());
    tavtest::Pump(50);
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(completions, 1);
}

TEST_F(MediaPanel, EndBeyondTheLengthPlaysToTheEnd) {
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.Open();
    media.SetMediaEnd(media.MediaLength() + 5000);
    media.SetMediaPosition(media.MediaLength() - 300);
    media.Resume();
    ASSERT_TRUE(tavtest::WaitUntil([&] { return completions > 0; }, 5000));
    EXPECT_EQ(media.MediaPosition(), media.MediaLength());
}

TEST_F(MediaPanel, NewEndDuringAPlayReissuesIt) {
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.SetMediaStart(0);
    media.Open();
    EXPECT_EQ(media.MediaPosition(), 0) << "start 0 opens without a seek";
    media.Play();
    tavtest::Pump(200);
    const int at = media.MediaPosition();
    media.SetMediaEnd(at + 400);
    EXPECT_TRUE(media.MediaIsPlaying());
    ASSERT_TRUE(tavtest::WaitUntil([&] { return completions > 0; }, 5000));
    EXPECT_EQ(completions, 1) << "the first play was replaced, not completed";
    EXPECT_EQ(media.MediaPosition(), at + 400);
}

TEST_F(MediaPanel, SwitchingToAnEarlierSectionDuringAPlayStartsIt) {
    // The quiz's opponent: a new section that lies before the playing one.
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.Open();
    media.SetMediaStart(1200);
    media.SetMediaEnd(2400);
    media.Play();
    tavtest::Pump(200);
    ASSERT_GT(media.MediaPosition(), 1200);
    media.SetMediaStart(200);
    EXPECT_EQ(ErrorOf([&] { media.SetMediaEnd(600); }), "(no error)");
    EXPECT_EQ(ErrorOf([&] { media.Play(); }), "(no error)");
    ASSERT_TRUE(tavtest::WaitUntil([&] { return completions > 0; }, 5000));
    tavtest::Pump(100);
    EXPECT_EQ(completions, 1) << "only the new section completes";
    EXPECT_EQ(media.MediaPosition(), 600);
}

TEST_F(MediaPanel, StopAndPauseRaiseNoCompletion) {
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.Open();
    media.SetMediaEnd(900);
    media.Play();
    tavtest::Pump(150);
    media.Pause();
    const int at = media.MediaPosition();
    EXPECT_FALSE(media.MediaIsPlaying());
    media.SetMediaIsPlaying(true); // resumes from where it paused
    EXPECT_TRUE(media.MediaIsPlaying());
    tavtest::Pump(100);
    EXPECT_GE(media.MediaPosition(), at);
    ASSERT_LT(media.MediaPosition(), 900) << "stopped before the end";
    media.Stop();
    // Well past the time the play would have reached its end.
    tavtest::Pump(1200);
    EXPECT_EQ(completions, 0);
}

TEST_F(MediaPanel, SoundHasTheSmallNaturalSizeAndKeepsThePanelSize) {
    media.AutoSize = true;
    media.SetMediaFilename(MediaClips().Wave);
    media.Open();
    EXPECT_FALSE(media.HasVideo);
    EXPECT_EQ(media.NaturalRect, (TMCIRect{0, 0, 24, 24}));
    EXPECT_EQ(media.size(), QSize(200, 150));
    media.SetMediaVolume(500);
    EXPECT_EQ(media.Device().Volume(), 500);
    media.SetMediaMuted(true);
    EXPECT_TRUE(media.Device().Muted);
    media.Play();
    ASSERT_TRUE(tavtest::WaitUntil([&] { return completions > 0; }, 5000));
}

TEST_F(MediaPanel, ScalingFillsThePanelAndFollowsItsSize) {
    media.show(); // a hidden widget hears of its new size only when shown
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.Open();
    ASSERT_NE(Picture(), nullptr);
    EXPECT_EQ(Picture()->geometry(), QRect(0, 0, 352, 288)) << "natural size without scaling";
    media.SetMediaScale(true);
    EXPECT_EQ(Picture()->geometry(), QRect(0, 0, 200, 150));
    media.resize(160, 120);
    EXPECT_EQ(Picture()->geometry(), QRect(0, 0, 160, 120));
    media.SetMediaScale(false);
    EXPECT_EQ(Picture()->geometry(), QRect(0, 0, 352, 288));
}

TEST_F(MediaPanel, ChangingTheFileReopensWithTheSameSettings) {
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.SetMediaMuted(true);
    media.Open();
    const int first = media.DeviceID();
    media.SetMediaFilename(MediaClips().H264);
    EXPECT_TRUE(media.MediaIsOpen());
    EXPECT_NE(media.DeviceID(), first);
    EXPECT_EQ(media.Device().FileName, MediaClips().H264);
    EXPECT_TRUE(media.Device().Muted);
    media.SetMediaIsOpen(false);
    EXPECT_EQ(media.MediaLength(), -1);
}

TEST_F(MediaPanel, FailedOpenLeavesItClosed) {
    media.SetMediaFilename(MediaClips().Corrupt);
    const std::string error = ErrorOf([&] { media.Open(); });
    EXPECT_EQ(error.rfind("MCI Error: ", 0), 0u) << error;
    EXPECT_FALSE(media.MediaIsOpen());
}

TEST_F(MediaPanel, RepeatLoopsWithoutCompletingAndReverseIsRefused) {
    media.SetMediaFilename(MediaClips().Mpeg1);
    media.SetMediaStart(1000);
    media.SetMediaEnd(1200);
    media.Open();
    EXPECT_EQ(ErrorOf([&] { media.Play(PlayReverse); }), "Reverse play is not supported");
    media.Play(PlayRepeat);
    int rewinds = 0, last = media.MediaPosition();
    tavtest::WaitUntil([&] {
        const int now = media.MediaPosition();
        if (now < last) ++rewinds;
        last = now;
        return rewinds >= 2;
    }, 4000);
    EXPECT_GE(rewinds, 2);
    EXPECT_EQ(completions, 0);
    EXPECT_TRUE(media.MediaIsPlaying());
    media.Stop();
    tavtest::Pump(300);
    EXPECT_FALSE(media.MediaIsPlaying());
    EXPECT_EQ(completions, 0);
}
