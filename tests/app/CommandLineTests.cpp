#include <gtest/gtest.h>

#include "app/CommandLine.h"
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
