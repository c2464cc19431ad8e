// Transition frames: wipes advance in whole 50-pixel bands; the blend mixes.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "toolkit/Transition.h"

using namespace tav;

namespace {

QPixmap Solid(QColor c) {
    QPixmap p(800, 600);
    p.fill(c);
    return p;
}

QImage Frame(TTransition effect, double progress) {
    QPixmap out(800, 600);
    QPainter painter(&out);
    PaintTransitionFrame(painter, Solid(Qt::red), Solid(Qt::blue), effect, progress);
    painter.end();
    return out.toImage();
}

bool IsNew(const QImage& img, int x, int y) { return img.pixelColor(x, y) == QColor(Qt::blue); }

} // namespace

TEST(Transition, CodesBeyondSevenHaveNoEffect) {
    EXPECT_EQ(TransitionForCode(0), trNone);
    EXPECT_EQ(TransitionForCode(1), trWipeRight);
    EXPECT_EQ(TransitionForCode(0x81), trWipeRight);
    EXPECT_EQ(TransitionForCode(7), trWipeUp);
    EXPECT_EQ(TransitionForCode(8), trNone);
    EXPECT_EQ(TransitionForCode(127), trNone);
}

TEST(Transition, WipeRightRevealsWholeBandsFromTheLeft) {
    QImage start = Frame(trWipeRight, 0.0);
    EXPECT_FALSE(IsNew(start, 0, 0));
    // 16 bands of 50 pixels: at 0.2 three whole bands (150 px) are shown.
    QImage mid = Frame(trWipeRight, 0.2);
    EXPECT_TRUE(IsNew(mid, 149, 300));
    EXPECT_FALSE(IsNew(mid, 150, 300));
    QImage end = Frame(trWipeRight, 1.0);
    EXPECT_TRUE(IsNew(end, 799, 599));
}

TEST(Transition, WipeLeftDownAndUpStartFromTheirEdges) {
    QImage left = Frame(trWipeLeft, 0.2);
    EXPECT_TRUE(IsNew(left, 650, 10));
    EXPECT_FALSE(IsNew(left, 649, 10));
    QImage down = Frame(trWipeDown, 0.5);  // 12 bands down: 6 shown
    EXPECT_TRUE(IsNew(down, 10, 299));
    EXPECT_FALSE(IsNew(down, 10, 300));
    QImage up = Frame(trWipeUp, 0.5);
    EXPECT_TRUE(IsNew(up, 10, 300));
    EXPECT_FALSE(IsNew(up, 10, 299));
}

TEST(Transition, WipeOutGrowsFromTheCentreAndWipeInFromTheEdges) {
    QImage out = Frame(trWipeOut, 0.5);
    EXPECT_TRUE(IsNew(out, 400, 300));
    EXPECT_FALSE(IsNew(out, 0, 0));
    QImage in = Frame(trWipeIn, 0.5);
    EXPECT_TRUE(IsNew(in, 0, 0));
    EXPECT_FALSE(IsNew(in, 400, 300));
    EXPECT_TRUE(IsNew(Frame(trWipeIn, 1.0), 400, 300));
    EXPECT_TRUE(IsNew(Frame(trWipeOut, 1.0), 0, 0));
}

TEST(Transition, BlendMixesBothScreens) {
    QColor mid = Frame(trBlend, 0.5).pixelColor(400, 300);
    EXPECT_NEAR(mid.red(), 128, 3);
    EXPECT_NEAR(mid.blue(), 127, 3);
    EXPECT_EQ(Frame(trBlend, 1.0).pixelColor(1, 1), QColor(Qt::blue));
}
