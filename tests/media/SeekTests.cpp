// Exact seeking: the picture after Seek(p) is the frame whose span holds p,
// on MPEG-1, MPEG-2 (open GOPs) and H.264, including positions around key
// frames, the first and last frame and positions beyond the end.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <random>

#include "MediaClips.h"
#include "media/MCIControl.h"
#include "media/VideoPanel.h"

using namespace tav;
using tavtest::FrameNumberOf;
using tavtest::MediaClips;

namespace {

std::string PathOf(const std::string& name) {
    const auto& c = MediaClips();
    if (name == "mpeg1") return c.Mpeg1;
    if (name == "mpeg2") return c.Mpeg2;
    if (name == "avi") return c.Avi;
    if (name == "mov") return c.Mov;
    return c.H264;
}

int GopOf(const std::string& name) {
    if (name == "mpeg1") return 12;
    if (name == "mpeg2" || name == "avi") return 15;
    return name == "mov" ? 20 : 25;
}

class ExactSeek : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override { player.Open(PathOf(GetParam()), nullptr, ooFilmUnits | ooFitPanel); }
    int ShownAfterSeek(int units) {
        player.Seek(units);
        return FrameNumberOf(player.CurrentFrame());
    }
    TMCIPlayer player;
};

} // namespace

TEST_P(ExactSeek, OpensAsFilmPartInFilmUnits) {
    EXPECT_TRUE(player.IsOpen);
    EXPECT_TRUE(player.HasVideo);
    EXPECT_EQ(player.UnitDivisor, 40);
    EXPECT_EQ(player.NaturalRect.Left, 0);
    EXPECT_GT(player.NaturalRect.Width, 300);
    EXPECT_EQ(player.NaturalRect.Height, GetParam() == "h264" ? 240 : 288);
    // 250 frames of 40 ms; sound may run a few milliseconds longer.
    EXPECT_GE(player.GetLength(), 249);
    EXPECT_LE(player.GetLength(), 251);
}

TEST_P(ExactSeek, AroundKeyFramesAndEnds) {
    const int gop = GopOf(GetParam());
    std::vector<int> positions = {0, 1, 2, 3, 249, 248};
    for (int k = 1; k * gop < 249; k += 3) {
        positions.push_back(k * gop - 1); // just before a key frame
        positions.push_back(k * gop);     // the key frame
        positions.push_back(k * gop + 1); // just after
        positions.push_back(k * gop + 2);
    }
    for (int p : positions) EXPECT_EQ(ShownAfterSeek(p), p) << "seek to unit " << p;
}

TEST_P(ExactSeek, EveryFrameOfTheFirstAndLastGroups) {
    // Program streams may end on a picture without a time stamp; the last
    // groups must still seek exactly.
    for (int p = 0; p < 30; ++p) EXPECT_EQ(ShownAfterSeek(p), p) << "seek to unit " << p;
    for (int p = 215; p < 250; ++p) EXPECT_EQ(ShownAfterSeek(p), p) << "seek to unit " << p;
}

TEST_P(ExactSeek, RandomOrderBackAndForth) {
    std::mt19937 rng(1234);
    for (int i = 0; i < 40; ++i) {
        int p = static_cast<int>(rng() % 250);
        ASSERT_EQ(ShownAfterSeek(p), p) << "seek " << i << " to unit " << p;
        ASSERT_EQ(player.GetPosition(), p);
    }
}

TEST_P(ExactSeek, MillisecondPositionsPickTheFrameThatHoldsThem) {
    TMCIPlayer ms;
    ms.Open(PathOf(GetParam()), nullptr, 0);
    ASSERT_EQ(ms.UnitDivisor, 1);
    for (int p : {0, 39, 40, 41, 999, 1000, 1039, 4321, 9959, 9960, 9999}) {
        ms.Seek(p);
        EXPECT_EQ(FrameNumberOf(ms.CurrentFrame()), p / 40) << p << " ms";
    }
}

TEST_P(ExactSeek, BeyondTheEndAndNegativeShowTheLastFrame) {
    EXPECT_EQ(ShownAfterSeek(400), 249);
    EXPECT_EQ(player.GetPosition(), player.GetLength());
    EXPECT_EQ(ShownAfterSeek(5), 5);
    EXPECT_EQ(ShownAfterSeek(-1), 249);
    EXPECT_EQ(ShownAfterSeek(0), 0);
    EXPECT_EQ(player.GetPosition(), 0);
}

INSTANTIATE_TEST_SUITE_P(Clips, ExactSeek, ::testing::Values("mpeg1", "mpeg2", "h264", "avi", "mov"),
                         [](const auto& info) { return info.param; });

TEST(LongFilm, LastGroupsOfAMinuteLongProgramStreamSeekExactly) {
    // Ends on a picture without a time stamp, after 1,500 frames; a stale
    // time once placed that picture inside the last group.
    const std::string path = MediaClips().Folder + "/minute.mpg";
    std::string bars = "drawbox=x=0:y=0:w=iw:h=20:color=white:t=fill";
    for (int b = 0; b < 12; ++b)
        bars += ",drawbox=x=" + std::to_string(8 + b * 28) + ":y=60:w=20:h=168:color=white:t=fill:enable='mod(floor(n/" +
                std::to_string(1 << b) + "),2)'";
    ASSERT_EQ(tavtest::RunShell("ffmpeg -v error -y -f lavfi -i color=c=black:s=352x288:r=25:d=60 -f lavfi -i "
                                "sine=f=440:d=60 -vf \"" + bars + "\" -c:v mpeg1video -g 12 -bf 2 -b:v 1150k -c:a mp2 " + path),
              0);
    TMCIPlayer player;
    player.Open(path, nullptr, ooFilmUnits);
    for (int p = 1440; p < 1500; ++p) {
        player.Seek(p);
        EXPECT_EQ(FrameNumberOf(player.CurrentFrame()), p) << "seek to unit " << p;
    }
}

TEST(VideoDisplay, FramesGoToTheFittedPanelAndNaturalSizeRestores) {
    QWidget host;
    host.resize(200, 150);
    TMCIPlayer player;
    player.Open(MediaClips().Mpeg1, &host, ooFilmUnits | ooFitPanel);
    TVideoPanel* panel = player.Panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget(), &host);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 200, 150));
    player.Seek(77);
    EXPECT_EQ(FrameNumberOf(panel->Frame()), 77);
    player.PutDestination({0, 0, 0, 0});
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 352, 288));
    player.PutDestination({0, 0, 100, 80});
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 100, 80));
    player.Close();
    EXPECT_TRUE(host.findChildren<TVideoPanel*>().isEmpty()) << "closing removes the picture";
}

TEST(VideoDisplay, AVideoPanelGivenDirectlyIsUsedAndKept) {
    TVideoPanel panel;
    panel.resize(320, 240);
    TMCIPlayer player;
    player.Open(MediaClips().H264, &panel, ooFilmUnits | ooFitPanel);
    EXPECT_EQ(player.Panel(), &panel);
    EXPECT_EQ(panel.PictureRect(), QRect(0, 0, 320, 240));
    player.Seek(130);
    EXPECT_EQ(FrameNumberOf(panel.Frame()), 130);
    // Moving to another panel shows the current frame there at once.
    TVideoPanel other;
    player.SetDisplayWindow(&other);
    EXPECT_EQ(FrameNumberOf(other.Frame()), 130);
    EXPECT_TRUE(panel.Frame().isNull());
}

TEST(VideoDisplay, SoundFilesHaveNoVideoAndIgnorePlacement) {
    QWidget host;
    TMCIPlayer player;
    player.Open(MediaClips().Wave, &host, ooFitPanel);
    EXPECT_FALSE(player.HasVideo);
    EXPECT_EQ(player.NaturalRect, TMCIRect{});
    EXPECT_EQ(player.GetNaturalRect(), TMCIRect{});
    player.PutDestination({0, 0, 10, 10});
    EXPECT_EQ(player.Panel(), nullptr);
    EXPECT_TRUE(host.findChildren<TVideoPanel*>().isEmpty());
}

TEST(VideoDisplay, AFrameIsDrawnAtTheScaleThePanelIsShownAtNotEnlargedFromItsSize) {
    // A frame of one-pixel stripes twice the panel's size, shown at twice the
    // panel's size (the scene window's scale): every stripe stays sharp.
    QImage stripes(800, 600, QImage::Format_RGB32);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) stripes.setPixel(x, y, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    TVideoPanel panel;
    panel.resize(400, 300);
    panel.SetFrame(stripes);
    QImage shown(800, 600, QImage::Format_RGB32);
    shown.fill(Qt::red);
    {
        QPainter p(&shown);
        p.scale(2, 2);
        panel.render(&p);
    }
    for (int x = 300; x < 306; ++x) EXPECT_EQ(shown.pixel(x, 200), stripes.pixel(x, 200)) << x;
    // Unscaled, the same frame is averaged down: grey, not a stripe.
    QImage small(400, 300, QImage::Format_RGB32);
    panel.render(&small);
    EXPECT_NEAR(qGray(small.pixel(150, 100)), 128, 20);
}
