// The practice light bar: the "off" picture shrinks in 11-pixel steps per
// 5 %, and every step boundary falls between two lamps of the bar.
#include <gtest/gtest.h>

#include "activities/LightBar.h"
#include "toolkit/Skin.h"

using namespace tav;

TEST(LightBar, OffPictureShrinksElevenPixelsPerFivePercent) {
    EXPECT_EQ(LightsOffHeight(0), 219); // nothing lit (223 would pass the bar's end)
    EXPECT_EQ(LightsOffHeight(4), 219);
    EXPECT_EQ(LightsOffHeight(5), 212);
    EXPECT_EQ(LightsOffHeight(42), 135);
    EXPECT_EQ(LightsOffHeight(95), 14);
    EXPECT_EQ(LightsOffHeight(99), 14);
    EXPECT_EQ(LightsOffHeight(100), 0);
}

TEST(LightBar, EveryStepEndsBetweenTwoLamps) {
    const QImage on = ActivityLightBar(true);
    ASSERT_EQ(on.size(), QSize(kLightBarWidth, kLightBarHeight));
    const QRgb plate = skin::NightDeep().rgb();
    for (int percent = 5; percent < 100; percent += 5) {
        const int y = LightsOffHeight(percent);
        EXPECT_EQ(on.pixel(13, y) & 0xFFFFFF, plate & 0xFFFFFF) << percent << " %";
        EXPECT_NE(on.pixel(13, y + 2) & 0xFFFFFF, plate & 0xFFFFFF) << percent << " %"; // a lamp below
    }
}
