// The skin: every picture has the size the screens ask for, button strips
// hold four distinct frames, transparent pictures are clear where the
// colour-key rule says, and the contact sheet is written.
#include <gtest/gtest.h>

#include <QDir>
#include <set>

#include "toolkit/Skin.h"

using namespace tav::skin;

namespace {
QImage Frame(const QImage& strip, int n, int w) { return strip.copy(n * w, 0, w, strip.height()); }
} // namespace

TEST(Skin, ButtonStripsHaveFourDistinctFrames) {
    for (auto [w, h] : {std::pair{38, 44}, {152, 58}, {24, 24}, {49, 47}}) {
        const QImage strip = ButtonStrip(TIcon::Back, w, h);
        ASSERT_EQ(strip.size(), QSize(4 * w, h));
        std::set<QByteArray> frames;
        for (int n = 0; n < 4; ++n) {
            const QImage f = Frame(strip, n, w).convertToFormat(QImage::Format_ARGB32);
            frames.insert(QByteArray(reinterpret_cast<const char*>(f.constBits()), f.sizeInBytes()));
        }
        EXPECT_EQ(frames.size(), 4u) << w << "x" << h;
        // Rounded corners: the bottom-left pixel is the clear, transparent colour.
        EXPECT_EQ(qAlpha(strip.pixel(0, h - 1)), 0);
    }
}

TEST(Skin, DisabledFrameIsGreyAndLowInContrast) {
    const QImage strip = ButtonStrip(TIcon::Play, 38, 27);
    const QImage normal = Frame(strip, 0, 38), disabled = Frame(strip, 1, 38);
    int normalMin = 255, normalMax = 0, disMin = 255, disMax = 0;
    for (int y = 0; y < 27; ++y)
        for (int x = 0; x < 38; ++x) {
            const QRgb d = disabled.pixel(x, y), n = normal.pixel(x, y);
            if (qAlpha(d) < 255) continue;
            EXPECT_LE(std::abs(qRed(d) - qGreen(d)), 2);
            EXPECT_LE(std::abs(qBlue(d) - qGreen(d)), 8);
            disMin = std::min(disMin, qGray(d)), disMax = std::max(disMax, qGray(d));
            normalMin = std::min(normalMin, qGray(n)), normalMax = std::max(normalMax, qGray(n));
        }
    EXPECT_LT(disMax - disMin, (normalMax - normalMin) * 0.6);
}

TEST(Skin, PicturesHaveTheScreensSizes) {
    EXPECT_EQ(Tick().size(), QSize(42, 45));
    EXPECT_EQ(Cross().size(), QSize(42, 45));
    EXPECT_EQ(LightBar(true).size(), QSize(27, 219));
    EXPECT_EQ(LightBar(false, 219, 27).size(), QSize(219, 27));
    EXPECT_EQ(LedDigit(7).size(), QSize(23, 36));
    EXPECT_EQ(Lifebelt().size(), QSize(59, 53));
    EXPECT_EQ(SpinnerStrip().size(), QSize(188, 17 * 185));
    EXPECT_EQ(StarStrip().size(), QSize(36, 20 * 35));
    EXPECT_EQ(AwardStrip().size(), QSize(57, 19));
    EXPECT_EQ(Plaque(false).size(), QSize(196, 54));
    EXPECT_EQ(VolumeScale().size(), QSize(18, 118));
    EXPECT_EQ(VolumeKnob().size(), QSize(18, 9));
    EXPECT_EQ(Background(TBackground::Quiz).size(), QSize(800, 600));
    EXPECT_EQ(Background(TBackground::DropDown, 800, 190).size(), QSize(800, 190));
    const auto p1 = ScoreDigitImages(37, 25);
    ASSERT_EQ(p1.size(), 14u);
    EXPECT_EQ(p1[13].size(), QSize(37, 25));
}

TEST(Skin, LedDigitsDifferAndSitOnTheStopwatchFace) {
    std::set<QByteArray> digits;
    for (int d = 0; d <= 9; ++d) {
        const QImage led = LedDigit(d);
        EXPECT_EQ(led.pixel(0, 0), qRgb(137, 169, 160));
        digits.insert(QByteArray(reinterpret_cast<const char*>(led.constBits()), led.sizeInBytes()));
    }
    EXPECT_EQ(digits.size(), 10u);
}

TEST(Skin, LifebeltIsClearOutsideAndInsideTheRing) {
    const QImage belt = Lifebelt();
    EXPECT_EQ(qAlpha(belt.pixel(0, 52)), 0); // bottom-left: the transparent colour
    EXPECT_EQ(qAlpha(belt.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(belt.pixel(29, 26)), 0); // the hole
    EXPECT_EQ(qAlpha(belt.pixel(47, 26)), 255); // the ring
}

TEST(Skin, CatalogueAndContactSheet) {
    const auto pictures = Catalogue();
    EXPECT_GT(pictures.size(), 100u);
    std::set<std::string> names;
    for (const auto& p : pictures) {
        EXPECT_FALSE(p.Picture.isNull()) << p.Name;
        EXPECT_TRUE(names.insert(p.Name).second) << "duplicate " << p.Name;
    }
    const QImage sheet = ContactSheet(pictures);
    EXPECT_EQ(sheet.width(), 1600);
    EXPECT_GT(sheet.height(), 1000);
}

TEST(Skin, HighDensityPicturesKeepTheirLogicalSize) {
    SetPictureScale(2);
    const QImage strip = ButtonStrip(TIcon::Back, 38, 44);
    const QImage led = LedDigit(3);
    const QImage belt = Lifebelt();
    SetPictureScale(0);
    EXPECT_EQ(strip.size(), QSize(304, 88));
    EXPECT_EQ(strip.deviceIndependentSize().toSize(), QSize(152, 44));
    EXPECT_EQ(led.deviceIndependentSize().toSize(), QSize(23, 36));
    EXPECT_EQ(qAlpha(belt.pixel(0, belt.height() - 1)), 0);
    EXPECT_EQ(qAlpha(belt.pixel(94, 52)), 255); // the ring at (47, 26) logical
    EXPECT_EQ(PictureScale(), 1.0); // the offscreen display
}
