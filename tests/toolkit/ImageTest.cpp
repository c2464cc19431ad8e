// The picture control: natural and stretched drawing, colour-key
// transparency, clipped views, hit testing and events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "content/OurUtils.h"
#include "tests/TestSupport.h"
#include "toolkit/Image.h"

using tav::TImage;

namespace {

QImage Quadrants() {
    QImage image(20, 10, QImage::Format_RGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) image.setPixel(x, y, x < 10 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
    image.setPixel(0, 9, qRgb(0, 255, 0)); // the bottom-left pixel: transparent colour
    image.setPixel(5, 5, qRgb(0, 255, 0));
    return image;
}

QImage Render(QWidget& w) {
    QImage image(w.size(), QImage::Format_RGB32);
    image.fill(qRgb(1, 2, 3));
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void Send(QWidget* w, QEvent::Type type, QPoint pos) {
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(Image, NaturalSizeAndStretched) {
    TImage image;
    image.resize(40, 20);
    image.SetPicture(Quadrants());
    QImage shown = Render(image);
    EXPECT_EQ(shown.pixel(15, 2), qRgb(0, 0, 255));
    EXPECT_EQ(shown.pixel(30, 2), qRgb(1, 2, 3)); // beyond the picture
    image.SetStretch(true);
    shown = Render(image);
    EXPECT_EQ(shown.pixel(10, 2), qRgb(255, 0, 0));
    EXPECT_EQ(shown.pixel(38, 18), qRgb(0, 0, 255));
    EXPECT_EQ(image.PixelAt(38, 18), 0x0000FF);
}

TEST(Image, ColourKeyTransparency) {
    TImage image;
    image.SetAutoSize(true);
    image.SetPicture(Quadrants());
    EXPECT_EQ(image.size(), QSize(20, 10));
    EXPECT_EQ(image.TransparentColor(), 0x00FF00u);
    EXPECT_FALSE(image.IsTransparentAt(5, 5)); // not transparent until asked
    image.SetTransparent(true);
    EXPECT_TRUE(image.IsTransparentAt(5, 5));
    EXPECT_FALSE(image.IsTransparentAt(6, 5));
    EXPECT_TRUE(image.IsTransparentAt(25, 5)); // outside
    const QImage shown = Render(image);
    EXPECT_EQ(shown.pixel(5, 5), qRgb(1, 2, 3));
    EXPECT_EQ(shown.pixel(6, 5), qRgb(255, 0, 0));
}

TEST(Image, AlphaPicturesAreTransparentWhereClear) {
    QImage picture(4, 4, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    picture.setPixel(1, 1, qRgba(200, 100, 50, 255));
    TImage image;
    image.resize(4, 4);
    image.SetTransparent(true);
    image.SetPicture(picture);
    EXPECT_TRUE(image.IsTransparentAt(0, 0));
    EXPECT_FALSE(image.IsTransparentAt(1, 1));
    EXPECT_EQ(Render(image).pixel(1, 1), qRgb(200, 100, 50));
}

TEST(Image, ClippedViewShowsPartOfThePicture) {
    TImage image;
    image.SetAutoSize(true);
    image.SetPicture(Quadrants());
    image.SetView(QRect(10, 0, 10, 10));
    EXPECT_EQ(image.size(), QSize(10, 10));
    EXPECT_EQ(Render(image).pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(image.PixelAt(0, 0), 0x0000FF);
}

TEST(Image, MouseEvents) {
    TImage image;
    image.resize(20, 10);
    image.Tag = 3;
    std::string log;
    image.OnClick = [&](TImage* s) { log += "click" + std::to_string(s->Tag) + " "; };
    image.OnMouseMove = [&](TImage*, Qt::KeyboardModifiers, int x, int y) {
        log += "move" + std::to_string(x) + "," + std::to_string(y) + " ";
    };
    image.OnMouseDown = [&](TImage*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { log += "down "; };
    Send(&image, QEvent::MouseMove, {4, 6});
    Send(&image, QEvent::MouseButtonPress, {4, 6});
    Send(&image, QEvent::MouseButtonRelease, {4, 6});
    Send(&image, QEvent::MouseButtonPress, {4, 6});
    Send(&image, QEvent::MouseButtonRelease, {40, 6}); // released outside
    EXPECT_EQ(log, "move4,6 down click3 down ");
}

TEST(Image, LoadFailurePassesTheLoadersError) {
    tavtest::TempFolder folder;
    TImage image;
    EXPECT_THROW(image.LoadFromFile(folder.Path() + "\\none.jpg"), tav::EProgramError);
}

TEST(Image, HighDensityPicturesUseLogicalCoordinates) {
    QImage picture(40, 20, QImage::Format_RGB32); // 20 x 10 logical at ratio 2
    picture.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 20; ++y)
        for (int x = 20; x < 40; ++x) picture.setPixel(x, y, qRgb(0, 0, 255));
    picture.setDevicePixelRatio(2);
    TImage image;
    image.SetAutoSize(true);
    image.SetPicture(picture);
    EXPECT_EQ(image.size(), QSize(20, 10));
    EXPECT_EQ(image.PixelAt(9, 5), 0xFF0000);
    EXPECT_EQ(image.PixelAt(10, 5), 0x0000FF);
    EXPECT_EQ(image.PixelAt(20, 5), -1);
    image.SetView(QRect(10, 0, 10, 10));
    EXPECT_EQ(image.size(), QSize(10, 10));
    EXPECT_EQ(Render(image).pixel(1, 1), qRgb(0, 0, 255));
}
