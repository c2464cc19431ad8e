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
