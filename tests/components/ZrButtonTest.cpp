// Picture buttons: strip geometry, frame selection, and the frames and
// events over the interaction sequences a screen sees.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <memory>
#include <string>

#include "components/SkinButton.h"
#include "components/ZrButton.h"

using tav::TCustomZrImageStrip;
using tav::TZrButton;

namespace {

// A strip whose column c has colour (c, row, 7): every pixel tells where it came from.
QImage CoordinateStrip(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, 7));
    return image;
}

QImage Render(QWidget& w) {
    QImage image(w.size(), QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren); // no window background
    return image;
}

void Send(QWidget* w, QEvent::Type type, Qt::MouseButton button, QPoint pos) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void Press(QWidget* w, QPoint pos = {5, 5}, Qt::MouseButton b = Qt::LeftButton) {
    Send(w, QEvent::MouseButtonPress, b, pos);
}
void Release(QWidget* w, QPoint pos = {5, 5}, Qt::MouseButton b = Qt::LeftButton) {
    Send(w, QEvent::MouseButtonRelease, b, pos);
}
void DoubleClick(QWidget* w, QPoint pos = {5, 5}) { Send(w, QEvent::MouseButtonDblClick, Qt::LeftButton, pos); }
void MoveHeld(QWidget* w, QPoint pos) {
    QMouseEvent e(QEvent::MouseMove, QPointF(pos), w->mapToGlobal(QPointF(pos)), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
void Enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(w, &e);
}
void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

class ZrButtonFixture : public ::testing::Test {
protected:
    void SetUp() override {
        parent = std::make_unique<QWidget>();
        parent->resize(300, 200);
        button = new TZrButton(parent.get());
        button->move(20, 30);
        button->SetPicture(CoordinateStrip(152, 44));
        button->OnClick = [this](TCustomZrImageStrip* s) { log += "click" + std::to_string(s->Tag) + " "; };
        button->OnDblClick = [this](TCustomZrImageStrip*) { log += "dbl "; };
        button->OnMouseDown = [this](TCustomZrImageStrip*, Qt::MouseButton b, Qt::KeyboardModifiers, int x, int y) {
            log += (b == Qt::LeftButton ? "down" : "rdown") + std::string("@") + std::to_string(x) + "," +
                   std::to_string(y) + "/f" + std::to_string(button->FrameIndex()) + " ";
        };
        button->OnMouseUp = [this](TCustomZrImageStrip*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            log += "up/f" + std::to_string(button->FrameIndex()) + " ";
        };
    }
    std::unique_ptr<QWidget> parent;
    TZrButton* button = nullptr;
    std::string log;
};

} // namespace

// ---- strip geometry ---------------------------------------------------------------

TEST(ZrImageStrip, DefaultsAndAutoSize) {
    TCustomZrImageStrip strip;
    EXPECT_EQ(strip.NumImages(), 4);
    EXPECT_EQ(strip.Columns(), 4);
    EXPECT_EQ(strip.Rows(), 1);
    EXPECT_EQ(strip.FrameIndex(), 0);
    EXPECT_EQ(strip.size(), QSize(0, 0)); // empty picture: nothing to show or click
    strip.move(10, 12);
    strip.SetPicture(CoordinateStrip(152, 44));
    EXPECT_EQ(strip.geometry(), QRect(10, 12, 38, 44));
}

TEST(ZrImageStrip, FrameTwoOfA152PixelStripIsColumns76To113) {
    TCustomZrImageStrip strip;
    strip.SetPicture(CoordinateStrip(152, 44));
    strip.SelectFrame(2);
    const QImage shown = Render(strip);
    ASSERT_EQ(shown.size(), QSize(38, 44));
    EXPECT_EQ(qRed(shown.pixel(0, 0)), 76);
    EXPECT_EQ(qRed(shown.pixel(37, 43)), 113);
    EXPECT_EQ(qGreen(shown.pixel(37, 43)), 43);
}

TEST(ZrImageStrip, SelectFrameIgnoresFramesBeyondTheStrip) {
    TCustomZrImageStrip strip;
    strip.SetPicture(CoordinateStrip(152, 44));
    strip.SelectFrame(3);
    strip.SelectFrame(4);
    EXPECT_EQ(strip.FrameIndex(), 3);
    EXPECT_EQ(qRed(Render(strip).pixel(0, 0)), 114);
}

TEST(ZrImageStrip, VerticalStripOfThreeBands) {
    TCustomZrImageStrip strip;
    strip.SetVertical(true);
    strip.SetNumImages(3);
    EXPECT_EQ(strip.Rows(), 3);
    EXPECT_EQ(strip.Columns(), 1);
    strip.SetPicture(CoordinateStrip(40, 90));
    EXPECT_EQ(strip.size(), QSize(40, 30));
    strip.SelectFrame(1);
    EXPECT_EQ(qGreen(Render(strip).pixel(0, 0)), 30);
    strip.SelectFrame(2);
    EXPECT_EQ(qGreen(Render(strip).pixel(5, 29)), 89);
}

TEST(ZrImageStrip, NumImagesBelowOneCountsAsOneAndSizeFollowsTheNextPictureChange) {
    TCustomZrImageStrip strip;
    strip.SetPicture(CoordinateStrip(152, 44));
    strip.SetNumImages(0);
    EXPECT_EQ(strip.NumImages(), 1);
    EXPECT_EQ(strip.size(), QSize(38, 44)); // not yet
    strip.SetTransparent(true);               // a picture change
    EXPECT_EQ(strip.size(), QSize(152, 44));
}

TEST(ZrImageStrip, TransparentColourIsTheBottomLeftPixel) {
    QImage picture(8, 4, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 255));
    picture.setPixel(1, 1, qRgb(10, 200, 30));
    TCustomZrImageStrip strip;
    strip.SetNumImages(1);
    strip.SetPicture(picture);
    EXPECT_TRUE(strip.Opaque());
    strip.SetTransparent(true);
    EXPECT_FALSE(strip.Opaque());
    EXPECT_EQ(strip.TransparentColor(), qRgb(255, 0, 255) & 0xFFFFFF);
    const QImage shown = Render(strip);
    EXPECT_EQ(shown.pixel(0, 0), qRgb(1, 2, 3)); // the parent shows through
    EXPECT_EQ(shown.pixel(1, 1), qRgb(10, 200, 30));
}

TEST(ZrImageStrip, AssigningCopiesThePicture) {
    QImage picture = CoordinateStrip(8, 2);
    TCustomZrImageStrip strip;
    strip.SetPicture(picture);
    picture.fill(Qt::white);
    EXPECT_EQ(qRed(strip.Picture().pixel(5, 0)), 5);
}

// ---- button frames over interactions --------------------------------------------

TEST_F(ZrButtonFixture, EnterPressReleaseInsideClicks) {
    EXPECT_EQ(button->FrameIndex(), 0);
    Enter(button);
    EXPECT_EQ(button->FrameIndex(), 3);
    button->Tag = 4;
    Press(button, {7, 9});
    EXPECT_EQ(button->FrameIndex(), 2);
    Release(button);
    EXPECT_EQ(button->FrameIndex(), 3);
    // Events come first, the frame follows: mouse-down saw frame 3, mouse-up frame 2.
    EXPECT_EQ(log, "down@7,9/f3 up/f2 click4 ");
    Leave(button);
    EXPECT_EQ(button->FrameIndex(), 0);
}

TEST_F(ZrButtonFixture, LeavingWhileHeldKeepsPressedAndReleaseOutsideDoesNotClick) {
    Enter(button);
    Press(button);
    MoveHeld(button, {60, 10}); // outside: the pointer is grabbed, no leave event
    EXPECT_EQ(button->FrameIndex(), 2);
    EXPECT_FALSE(button->Hot());
    MoveHeld(button, {10, 10}); // back inside
    EXPECT_TRUE(button->Hot());
    MoveHeld(button, {-5, 10});
    Release(button, {-5, 10});
    EXPECT_EQ(button->FrameIndex(), 0);
    EXPECT_EQ(log.find("click"), std::string::npos);
    EXPECT_FALSE(button->Down());
}

TEST_F(ZrButtonFixture, LeaveEventWhileHeldKeepsPressedFrame) {
    Enter(button);
    Press(button);
    Leave(button);
    EXPECT_EQ(button->FrameIndex(), 2);
    Release(button, {100, 100});
    EXPECT_EQ(button->FrameIndex(), 0);
}

TEST_F(ZrButtonFixture, OtherButtonsChangeNothing) {
    Enter(button);
    Press(button, {5, 5}, Qt::RightButton);
    EXPECT_EQ(button->FrameIndex(), 3);
    Release(button, {5, 5}, Qt::RightButton);
    EXPECT_EQ(button->FrameIndex(), 3);
    EXPECT_EQ(log, "rdown@5,5/f3 up/f3 ");
    // Nor during a left hold: the left click still comes.
    log.clear();
    Press(button);
    Press(button, {5, 5}, Qt::RightButton);
    Release(button, {5, 5}, Qt::RightButton);
    EXPECT_EQ(button->FrameIndex(), 2);
    Release(button);
    EXPECT_NE(log.find("click"), std::string::npos) << log;
}

TEST_F(ZrButtonFixture, DisablingForgetsDownAndHot) {
    Enter(button);
    Press(button);
    button->setEnabled(false);
    EXPECT_EQ(button->FrameIndex(), 1);
    EXPECT_FALSE(button->Down());
    EXPECT_FALSE(button->Hot());
    Enter(button); // the pointer over a disabled button
    button->SetHot(true);
    button->SetDown(true);
    EXPECT_EQ(button->FrameIndex(), 1);
    button->setEnabled(true);
    EXPECT_EQ(button->FrameIndex(), 0); // until the pointer next enters
    Enter(button);
    EXPECT_EQ(button->FrameIndex(), 3);
}

TEST_F(ZrButtonFixture, DisablingInsideTheClickHandlerLeavesFrameOne) {
    button->OnClick = [this](TCustomZrImageStrip*) { button->setEnabled(false); };
    Enter(button);
    Press(button);
    Release(button);
    EXPECT_EQ(button->FrameIndex(), 1);
}

TEST_F(ZrButtonFixture, DoubleClickRaisesDblClickAndOneClick) {
    Enter(button);
    Press(button);
    Release(button);
    DoubleClick(button);
    EXPECT_EQ(button->FrameIndex(), 2);
    Release(button);
    EXPECT_EQ(button->FrameIndex(), 3);
    EXPECT_EQ(log, "down@5,5/f3 up/f2 click0 dbl down@5,5/f3 up/f2 ");
}

TEST_F(ZrButtonFixture, DisabledButtonsGetNoClicks) {
    parent->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.get()));
    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(log, "");
    button->setEnabled(true);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_NE(log.find("click0"), std::string::npos);
}

TEST_F(ZrButtonFixture, EmptyPictureGivesAnUnclickableButton) {
    auto* empty = new TZrButton(parent.get());
    empty->move(100, 100);
    bool clicked = false;
    empty->OnClick = [&](TCustomZrImageStrip*) { clicked = true; };
    parent->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.get()));
    EXPECT_EQ(empty->size(), QSize(0, 0));
    QTest::mouseClick(parent.get(), Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_FALSE(clicked);
    EXPECT_EQ(parent->childAt(100, 100), nullptr);
}

TEST_F(ZrButtonFixture, RealPointerMovesDriveTheHotFrame) {
    parent->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(parent.get()));
    QTest::mouseMove(parent.get(), QPoint(250, 150));
    QTest::mouseMove(button, QPoint(10, 10));
    EXPECT_TRUE(QTest::qWaitFor([&] { return button->FrameIndex() == 3; }, 2000));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button->FrameIndex(), 2);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button->FrameIndex(), 3);
    EXPECT_NE(log.find("click0"), std::string::npos);
    QTest::mouseMove(parent.get(), QPoint(250, 150));
    EXPECT_TRUE(QTest::qWaitFor([&] { return button->FrameIndex() == 0; }, 2000));
}

TEST(SkinButton, BackButtonHasItsSizeTagAndFourFrames) {
    QWidget screen;
    TZrButton* back = tav::CreateSkinButton(&screen, "Back", {0, 557}, {38, 44}, 1);
    EXPECT_EQ(back->geometry(), QRect(0, 557, 38, 44));
    EXPECT_EQ(back->Tag, 1);
    EXPECT_EQ(back->objectName(), QStringLiteral("EButton_Back"));
    EXPECT_EQ(back->Picture().size(), QSize(152, 44));
    EXPECT_FALSE(back->Opaque()); // rounded corners show the screen
}

TEST(ZrImageStrip, HighDensityStripKeepsTheLogicalFrameSize) {
    QImage strip = CoordinateStrip(304, 88); // a 152 x 44 strip at ratio 2
    strip.setDevicePixelRatio(2);
    TZrButton button;
    button.SetPicture(strip);
    EXPECT_EQ(button.size(), QSize(38, 44));
    button.SelectFrame(2);
    QImage shown(QSize(76, 88), QImage::Format_RGB32);
    shown.setDevicePixelRatio(2);
    button.render(&shown, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(qRed(shown.pixel(0, 0)), 152); // device column 152 = logical column 76
}
