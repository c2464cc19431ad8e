// The volume slider's conversions and handlers, and the mixer's scale and
// its behaviour without a mixer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include <vector>

#include "media/Volume.h"
#include "media/VolumeControl.h"
#include "media/VolumeProgram.h"
#include "content/DebugLog.h"

#include <QFile>
#include <QTemporaryDir>

using namespace tav;

TEST(VolumeConversions, KnobToVolumeTruncates) {
    EXPECT_EQ(VolumeFromKnob(0), 65535);
    EXPECT_EQ(VolumeFromKnob(89), 0);
    EXPECT_EQ(VolumeFromKnob(44), 33135);
    EXPECT_EQ(VolumeFromKnob(1), 64798);
}

TEST(VolumeConversions, VolumeToKnobTruncates) {
    EXPECT_EQ(KnobFromVolume(65535), 0);
    EXPECT_EQ(KnobFromVolume(0), 89);
    EXPECT_EQ(KnobFromVolume(33135), 45) << "a knob left at 44 comes back at 45";
    EXPECT_EQ(KnobFromVolume(VolumeFromKnob(1)), 2);
    EXPECT_EQ(KnobFromVolume(VolumeFromKnob(0)), 0);
    EXPECT_EQ(KnobFromVolume(VolumeFromKnob(89)), 89);
}

TEST(MixerScale, EndsAndMiddleMapBothWays) {
    EXPECT_EQ(ScaleToMixer(0, 0, 87), 0);
    EXPECT_EQ(ScaleToMixer(65535, 0, 87), 87);
    EXPECT_EQ(ScaleToMixer(70000, 0, 87), 87) << "values above the scale are the top";
    EXPECT_EQ(ScaleToMixer(32768, -100, 100), 0);
    EXPECT_EQ(MixerToScale(87, 0, 87), 65535);
    EXPECT_EQ(MixerToScale(0, 0, 87), 0);
    EXPECT_EQ(MixerToScale(-5, 0, 87), 0);
    EXPECT_EQ(MixerToScale(5, 5, 5), 0) << "an element without a range reads silent";
    for (unsigned v : {0u, 1000u, 33135u, 65535u}) {
        const uint16_t back = MixerToScale(ScaleToMixer(v, 0, 255), 0, 255);
        EXPECT_NEAR(back, v, 65535 / 255 / 2 + 1) << v;
    }
}

TEST(MixerScale, NoMixerReadsZeroAndSetsNothing) {
    SetMixerDevice("hw:99"); // no such card
    EXPECT_EQ(GetMasterVolume(), 0);
    EXPECT_LT(SetLineVolume(30000, "Master", "PCM"), 0);
    SetMasterVolume(30000); // no error, nothing shown
    EXPECT_EQ(GetLineVolume("NoSuchElement", ""), 0);
    SetMixerDevice("default");
}

namespace {

class VolumeSlider : public ::testing::Test {
protected:
    VolumeSlider() : control(&screen, TVolumeControl::ActivityLayout()) {
        control.ReadVolume = [this] { return volume; };
        control.WriteVolume = [this](unsigned v) { sets.push_back(v); };
        control.OpenVolumeProgram = [this] { ++programs; };
    }
    int KnobTop() const { return control.Image_VolSlide->y(); }
    QWidget screen;
    TVolumeControl control;
    uint16_t volume = 33135;
    std::vector<unsigned> sets;
    int programs = 0;
};

} // namespace

TEST_F(VolumeSlider, PlacesItsPiecesHidden) {
    EXPECT_EQ(control.EButton_Volume->geometry(), QRect(521, 266, 24, 24));
    EXPECT_EQ(control.Panel_VolScale->geometry(), QRect(541, 167, 18, 118));
    EXPECT_EQ(control.Image_VolSlide->size(), QSize(18, 9));
    EXPECT_TRUE(control.Panel_VolScale->isHidden());
    TVolumeControl viewer(&screen, TVolumeControl::ViewerLayout());
    EXPECT_EQ(viewer.EButton_Volume->geometry(), QRect(569, 325, 22, 22));
    EXPECT_EQ(viewer.Panel_VolScale->geometry(), QRect(588, 226, 17, 113));
}

TEST_F(VolumeSlider, ClickShowsTheSystemVolumeAndClickAgainHides) {
    screen.show();
    control.EButton_VolumeClick();
    EXPECT_TRUE(control.Panel_VolScale->isVisible());
    EXPECT_EQ(KnobTop(), 45);
    control.EButton_VolumeClick();
    EXPECT_FALSE(control.Panel_VolScale->isVisible());
    volume = 65535;
    control.EButton_VolumeClick();
    EXPECT_EQ(KnobTop(), 0);
    EXPECT_TRUE(sets.empty()) << "opening the scale changes nothing";
}

TEST_F(VolumeSlider, DraggingSetsTheVolumeLiveWithinLimits) {
    screen.show();
    control.EButton_VolumeClick(); // knob at 45
    control.Image_VolSlideMouseMove(10);
    EXPECT_TRUE(sets.empty()) << "moving without a held button does nothing";
    control.Image_VolSlideMouseDown(4);
    control.Image_VolSlideMouseMove(3); // one up
    EXPECT_EQ(KnobTop(), 44);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0], 33135u);
    control.Image_VolSlideMouseMove(4 - 44); // to the top
    EXPECT_EQ(KnobTop(), 0);
    EXPECT_EQ(sets.back(), 65535u);
    control.Image_VolSlideMouseMove(3); // would go above the top
    EXPECT_EQ(KnobTop(), 0);
    EXPECT_EQ(sets.size(), 2u);
    control.Image_VolSlideMouseMove(4); // the same place: nothing sent
    EXPECT_EQ(sets.size(), 2u);
    control.Image_VolSlideMouseMove(4 + 89); // to the bottom
    EXPECT_EQ(KnobTop(), 89);
    EXPECT_EQ(sets.back(), 0u);
    control.Image_VolSlideMouseMove(5); // below the bottom
    EXPECT_EQ(KnobTop(), 89);
    EXPECT_EQ(sets.size(), 3u);
    control.Image_VolSlideMouseUp();
    control.Image_VolSlideMouseMove(0);
    EXPECT_EQ(sets.size(), 3u);
    EXPECT_FALSE(control.SlideDragging);
}

TEST_F(VolumeSlider, DoubleClickHidesTheScaleAndOpensTheVolumeProgram) {
    screen.show();
    control.EButton_VolumeClick();
    control.EButton_VolumeDblClick();
    EXPECT_FALSE(control.Panel_VolScale->isVisible());
    EXPECT_EQ(programs, 1);
}

TEST_F(VolumeSlider, MouseEventsReachTheHandlers) {
    screen.resize(800, 600);
    screen.show();
    QTest::mouseClick(control.EButton_Volume, Qt::LeftButton);
    EXPECT_TRUE(control.Panel_VolScale->isVisible());
    EXPECT_EQ(KnobTop(), 45);
    // Drag the knob two pixels down with real mouse events.
    QWidget* knob = control.Image_VolSlide;
    auto send = [&](QEvent::Type type, int y, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(5, y), knob->mapToGlobal(QPointF(5, y)), button, held, Qt::NoModifier);
        QApplication::sendEvent(knob, &e);
    };
    send(QEvent::MouseButtonPress, 4, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, 6, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(KnobTop(), 47);
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0], static_cast<unsigned>(VolumeFromKnob(47)));
    send(QEvent::MouseButtonRelease, 6, Qt::LeftButton, Qt::NoButton);
    send(QEvent::MouseMove, 20, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(sets.size(), 1u) << "no drag after the release";
    // A double click leaves the scale hidden (its last release is no click).
    QTest::mouseDClick(control.EButton_Volume, Qt::LeftButton);
    EXPECT_FALSE(control.Panel_VolScale->isVisible());
    EXPECT_EQ(programs, 1);
}

namespace {

// Stand-ins on PATH for the volume program and the window raiser: each notes
// its arguments in a file of the folder. The raiser finds no window (exit 1),
// as for a volume program not yet open.
class VolumeProgram : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray oldPath = qgetenv("PATH");

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        Script("fake-mixer", "echo started >> \"$(dirname \"$0\")/starts\"\nexec sleep 30\n");
        Script("fake-raise", "echo \"$@\" >> \"$(dirname \"$0\")/raises\"\nexit 1\n");
        qputenv("PATH", dir.path().toUtf8() + ":" + oldPath);
    }
    void TearDown() override {
        qputenv("PATH", oldPath);
        SetDebugSink(nullptr);
    }
    void Script(const QString& name, const QByteArray& body) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n" + body);
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QStringList Lines(const QString& name) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    static bool WaitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 300 && !done(); ++i) QTest::qWait(10);
        return done();
    }
};

} // namespace

TEST_F(VolumeProgram, StartedOnceThenItsOwnWindowIsRaisedEvenMinimised) {
    TVolumeProgram program({"fake-mixer"}, "fake-raise");
    program.Open();
    ASSERT_TRUE(WaitFor([&] { return program.Started() && Lines("starts").size() == 1; }));
    const qint64 pid = program.Started()->processId();
    program.Open();
    ASSERT_TRUE(WaitFor([&] { return Lines("raises").size() == 2; }));
    const QString second = Lines("raises")[1];
    EXPECT_TRUE(second.contains("--pid " + QString::number(pid))) << second.toStdString();
    EXPECT_FALSE(second.contains("--onlyvisible")) << "a minimised window must be found too";
    QTest::qWait(50);
    EXPECT_EQ(Lines("starts").size(), 1) << "no second volume program";
}

TEST_F(VolumeProgram, WithoutAWindowRaiserTheRunningCopyIsNotStartedAgain) {
    TVolumeProgram program({"fake-mixer"}, ""); // a Wayland session: nothing raises windows
    program.Open();
    ASSERT_TRUE(WaitFor([&] { return program.Started() && Lines("starts").size() == 1; }));
    program.Open();
    program.Open();
    QTest::qWait(100);
    EXPECT_EQ(Lines("starts").size(), 1);
}

TEST_F(VolumeProgram, NoInstalledProgramSaysSoInTheDebugLog) {
    std::vector<std::string> lines;
    SetDebugSink([&](const std::string& line) { lines.push_back(line); });
    TVolumeProgram program({"no-such-volume-program"}, "fake-raise");
    program.Open();
    ASSERT_TRUE(WaitFor([&] { return !lines.empty(); }));
    EXPECT_NE(lines[0].find("No volume program is installed"), std::string::npos) << lines[0];
    EXPECT_EQ(program.Started(), nullptr);
}
