// The studio's shadowing analysis and view: a tone sweep's pitch is tracked
// at the right height and time, and the view draws the actor's line and the
// take on one time axis, each where its sound is.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <cmath>

#include "viewer/ShadowView.h"
#include "viewer/Shadowing.h"

using namespace tav;

namespace {

constexpr int kRate = 22050;

// A voice-like tone (fundamental and two harmonics) from `from` to `to`
// seconds in a buffer of `total` seconds; the pitch moves exponentially
// from hz0 to hz1.
std::vector<float> Tone(double total, double from, double to, double hz0, double hz1) {
    std::vector<float> s(size_t(total * kRate), 0.0f);
    double phase = 0;
    for (size_t i = size_t(from * kRate); i < size_t(to * kRate) && i < s.size(); ++i) {
        const double t = double(i) / kRate - from;
        const double hz = hz0 * std::pow(hz1 / hz0, t / (to - from));
        phase += 2 * M_PI * hz / kRate;
        s[i] = float(0.35 * std::sin(phase) + 0.15 * std::sin(2 * phase) + 0.08 * std::sin(3 * phase));
    }
    return s;
}

double ExpectedSweepHz(double t, double from, double to, double hz0, double hz1) {
    return hz0 * std::pow(hz1 / hz0, (t - from) / (to - from));
}

} // namespace

TEST(Shadowing, PitchOfAToneSweepIsTrackedInHeightAndTime) {
    const double from = 0.4, to = 2.4, hz0 = 110, hz1 = 330;
    const TVoiceTrack track = AnalyseVoice(Tone(2.8, from, to, hz0, hz1), kRate);
    ASSERT_GT(track.PitchHz.size(), 200u);
    EXPECT_NEAR(track.Seconds(), 2.8, 0.02);
    int inside = 0, voiced = 0, close = 0, voicedInSilence = 0, silent = 0;
    for (size_t i = 0; i < track.PitchHz.size(); ++i) {
        const double t = (double(i) + 0.5) * track.HopSeconds;
        if (t > from + 0.08 && t < to - 0.08) {
            ++inside;
            if (track.PitchHz[i] > 0) {
                ++voiced;
                const double want = ExpectedSweepHz(t, from, to, hz0, hz1);
                close += std::fabs(track.PitchHz[i] - want) / want < 0.03;
            }
        } else if (t < from - 0.08 || t > to + 0.08) {
            ++silent;
            voicedInSilence += track.PitchHz[i] > 0;
            EXPECT_LT(track.Peak[i], 0.01f);
        }
    }
    EXPECT_GT(voiced, inside * 9 / 10) << "the sweep is voiced almost throughout";
    EXPECT_GT(close, voiced * 9 / 10) << "within 3 % of the sweep's pitch at that time";
    EXPECT_EQ(voicedInSilence, 0) << "no pitch where there is no sound (of " << silent << ")";
}

TEST(Shadowing, ViewDrawsActorAndTakeOnOneTimeAxisAndClosesOnAClick) {
    // The actor speaks from 0.5 to 1.0 s at 150 Hz, the learner from 1.2 to 1.8 s at 300 Hz.
    const TShadowAnalysis a =
        AnalyseShadowing(Tone(2.0, 0.5, 1.0, 150, 150), kRate, Tone(2.0, 1.2, 1.8, 300, 300), kRate);
    EXPECT_NEAR(a.Seconds, 2.0, 0.02);
    QWidget parent;
    parent.resize(800, 600);
    TShadowView view(&parent);
    view.setGeometry(224, 34, 352, 288);
    view.SetAnalysis(a);
    parent.show();
    const QImage img = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect actor = view.ActorLane(), learner = view.LearnerLane();
    ASSERT_FALSE(actor.intersects(learner));
    EXPECT_EQ(actor.left(), learner.left());
    EXPECT_EQ(actor.width(), learner.width()) << "one time axis";

    auto brightInColumn = [&](const QRect& lane, double seconds) {
        const int x = int(view.TimeToX(seconds));
        int n = 0;
        for (int y = lane.top() + 2; y < lane.bottom() - 2; ++y) n += qGray(img.pixel(x, y)) > 110;
        return n;
    };
    EXPECT_GT(brightInColumn(actor, 0.75), actor.height() / 3) << "the actor's sound at its time";
    EXPECT_LT(brightInColumn(actor, 1.5), 4) << "silence in the actor's lane while the learner speaks";
    EXPECT_GT(brightInColumn(learner, 1.5), learner.height() / 3) << "the take at its time";
    EXPECT_LT(brightInColumn(learner, 0.75), actor.height() / 4) << "only the faint guide while the actor speaks";

    // The contours sit at their pitch: the take's in gold at 300 Hz, not at 150 Hz.
    auto nearPixel = [&](QPoint at, const std::function<bool(QRgb)>& test) {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (test(img.pixel(at.x() + dx, at.y() + dy))) return true;
        return false;
    };
    const auto gold = [](QRgb c) { return qRed(c) > 180 && qGreen(c) > 130 && qBlue(c) < 140; };
    const QPoint takeAt(int(view.TimeToX(1.5)), view.PitchToY(learner, 300));
    EXPECT_TRUE(nearPixel(takeAt, gold)) << "the take's contour at 300 Hz";
    EXPECT_NE(view.PitchToY(learner, 300), view.PitchToY(learner, 150));
    EXPECT_FALSE(nearPixel(QPoint(int(view.TimeToX(0.75)), view.PitchToY(learner, 300)), gold));

    int dismissed = 0;
    view.OnDismiss = [&] { ++dismissed; };
    QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_TRUE(view.isHidden());
    EXPECT_EQ(dismissed, 1);
}
