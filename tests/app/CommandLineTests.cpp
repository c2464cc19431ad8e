#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/FullScreenScale.h"
#include "content/OurUtils.h"

using namespace tav;

TEST(CommandLine, EveryOptionInAnyCase) {
    TCommandLine o;
    ParseCommandLine({"FORCE", "Remote=3", "TIMEOUT=12", "whatever", "x=y"}, o);
    EXPECT_TRUE(o.Force800);
    EXPECT_TRUE(o.Remote);
    EXPECT_EQ(o.TimeoutMinutes, 12);
    TCommandLine p;
    ParseCommandLine({"800", "800"}, p);
    EXPECT_TRUE(p.Force800);
    EXPECT_FALSE(p.Remote);
    EXPECT_EQ(p.TimeoutMinutes, 0);
}

TEST(CommandLine, NameAndValueAreTrimmed) {
    TCommandLine o;
    ParseCommandLine({" timeout = 5 ", "remote =1"}, o);
    EXPECT_EQ(o.TimeoutMinutes, 5);
    EXPECT_TRUE(o.Remote);
}

TEST(CommandLine, BadNumberStopsTheRestButKeepsWhatCameBefore) {
    TCommandLine o;
    try {
        ParseCommandLine({"timeout=4", "remote=abc", "force"}, o);
        FAIL() << "a bad number must be reported";
    } catch (const EProgramError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(o.TimeoutMinutes, 4);
    EXPECT_FALSE(o.Remote);
    EXPECT_FALSE(o.Force800);

    TCommandLine q;
    EXPECT_THROW(ParseCommandLine({"timeout="}, q), EProgramError);
    EXPECT_THROW(ParseCommandLine({"timeout=1.5"}, q), EProgramError);
}

TEST(CommandLine, EqualsOnlyCountsForRemoteAndTimeout) {
    TCommandLine o;
    ParseCommandLine({"force=1", "=5", "remotex=1"}, o);
    EXPECT_FALSE(o.Force800);
    EXPECT_FALSE(o.Remote);
}

TEST(FullScreenScale, TheFitIsMultipliedByTheUsersOwnFactor) {
    // 1920 x 1080 without a factor of the user's: the height limits, 1.8.
    EXPECT_DOUBLE_EQ(tav::FullScreenScaleFactor(QSize(1920, 1080), 1.0), 1.8);
    // The same screen under QT_SCALE_FACTOR=2 measures 960 x 540: the program
    // still fills it at 2 x 0.9, not at the user's 2 nor the measured 0.9.
    const double user = tav::UserScaleFactor("2");
    EXPECT_DOUBLE_EQ(user, 2.0);
    EXPECT_DOUBLE_EQ(tav::FullScreenScaleFactor(QSize(960, 540), user), 1.8);
    EXPECT_DOUBLE_EQ(tav::FullScreenScaleFactor(QSize(1000, 1000), 1.5), 1.875); // width limits
    EXPECT_EQ(tav::FullScreenScaleFactor(QSize(), 1.0), 0.0);
    // Values Qt would not take count as no factor of the user's.
    EXPECT_DOUBLE_EQ(tav::UserScaleFactor(""), 1.0);
    EXPECT_DOUBLE_EQ(tav::UserScaleFactor("abc"), 1.0);
    EXPECT_DOUBLE_EQ(tav::UserScaleFactor("-2"), 1.0);
    EXPECT_DOUBLE_EQ(tav::UserScaleFactor(" 1.25 "), 1.25);
}
