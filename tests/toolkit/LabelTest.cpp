// Labels: pixel fonts, UTF-8 text, alignment, wrapping, shadow and
// outline, transparent or filled background.
#include <gtest/gtest.h>

#include <QFontInfo>

#include "toolkit/Label.h"

using tav::TfcLabel;

namespace {

QImage Render(QWidget& w, QRgb ground = qRgb(0, 0, 255)) {
    QImage image(w.size(), QImage::Format_RGB32);
    image.fill(ground);
    w.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// The bounding box of pixels of one colour (with a tolerance).
QRect Ink(const QImage& image, QRgb colour, int tolerance = 40) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (std::abs(qRed(p) - qRed(colour)) + std::abs(qGreen(p) - qGreen(colour)) +
                    std::abs(qBlue(p) - qBlue(colour)) <= tolerance)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

TfcLabel* MakeLabel(TfcLabel& label, const std::string& text) {
    label.resize(200, 60);
    label.SetLabelFont(tav::PixelFont("Arial", 20, true));
    label.SetFontColor(Qt::white);
    label.SetCaption(text);
    return &label;
}

} // namespace

TEST(Label, PixelFonts) {
    const QFont arial = tav::PixelFont("Arial", 21);
    EXPECT_EQ(arial.pixelSize(), 21);
    const QFont black = tav::PixelFont("Arial Black", 21);
    EXPECT_EQ(black.weight(), QFont::Black);
    EXPECT_EQ(black.family(), QStringLiteral("Arial"));
    EXPECT_EQ(tav::PixelFont("Arial", 13, true).weight(), QFont::Bold);
}

TEST(Label, TransparentByDefaultAndFilledWhenAsked) {
    TfcLabel label;
    MakeLabel(label, "");
    EXPECT_EQ(Render(label).pixel(5, 5), qRgb(0, 0, 255));
    label.SetTransparent(false);
    label.SetBackgroundColor(QColor(10, 20, 30));
    EXPECT_EQ(Render(label).pixel(5, 5), qRgb(10, 20, 30));
}

TEST(Label, AlignmentBothWays) {
    TfcLabel label;
    MakeLabel(label, "Hi");
    label.SetAlignment(Qt::AlignRight | Qt::AlignBottom);
    QRect ink = Ink(Render(label), qRgb(255, 255, 255));
    ASSERT_FALSE(ink.isNull());
    EXPECT_GT(ink.left(), 150);
    EXPECT_GT(ink.top(), 30);
    label.SetAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ink = Ink(Render(label), qRgb(255, 255, 255));
    EXPECT_LT(std::abs(ink.center().x() - 100), 6);
    EXPECT_LT(ink.top(), 12);
}

TEST(Label, WordWrapUsesMoreLines) {
    TfcLabel label;
    MakeLabel(label, "many words that do not fit on one line");
    label.resize(120, 80);
    const int oneLine = Ink(Render(label), qRgb(255, 255, 255)).height();
    label.SetWordWrap(true);
    const int wrapped = Ink(Render(label), qRgb(255, 255, 255)).height();
    EXPECT_GT(wrapped, oneLine + 15);
}

TEST(Label, ThreePixelShadowAndOutline) {
    TfcLabel label;
    MakeLabel(label, "88");
    label.SetAlignment(Qt::AlignCenter);
    const QRect text = Ink(Render(label), qRgb(255, 255, 255));
    label.SetEffects({3, Qt::black, 0, Qt::black});
    const QImage shadowed = Render(label);
    const QRect shadow = Ink(shadowed, qRgb(0, 0, 0));
    ASSERT_FALSE(shadow.isNull());
    EXPECT_EQ(shadow.bottom(), text.bottom() + 3);
    EXPECT_EQ(shadow.right(), text.right() + 3);

    label.SetEffects({0, Qt::black, 2, Qt::red});
    const QRect outline = Ink(Render(label), qRgb(255, 0, 0));
    EXPECT_LE(outline.left(), text.left() - 2);
    EXPECT_GE(outline.bottom(), text.bottom() + 2);
}

TEST(Label, CaptionsAreUtf8) {
    TfcLabel a, b;
    MakeLabel(a, "\xE2\x82\xAC"); // the euro sign in UTF-8
    MakeLabel(b, "\xC3\xA2\xE2\x80\x9A\xC2\xAC"); // its three bytes read as Windows-1252
    EXPECT_EQ(a.ShownCaption(), QString::fromUtf8("€"));
    const QRect euro = Ink(Render(a), qRgb(255, 255, 255));
    const QRect three = Ink(Render(b), qRgb(255, 255, 255));
    ASSERT_FALSE(euro.isNull());
    EXPECT_LT(euro.width(), three.width());
}
