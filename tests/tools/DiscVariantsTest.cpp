// The generator's variants: a disc with two targets behind a multi menu and a
// disc with a custom start screen.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "DiscBuilder.h"
#include "DiscCheck.h"
#include "content/KeyFiles.h"
#include "content/OurUtils.h"

using namespace disccheck;

TEST(DiscVariants, MultiMenuDiscOffersTwoTargetsWithTheirPictures) {
    QTemporaryDir dir;
    demodisc::TDiscOptions o;
    o.Root = dir.path().toStdString();
    o.Cache = DEMODISC_TEST_CACHE;
    o.Fixture = true;
    o.MultiMenu = true;
    o.ProgramMedia = false;
    demodisc::BuildDisc(o);
    const auto target = RawLines(o.Root + "/Target.txt");
    const std::string menu = tav::LookupKey(target, "MultiMenu", "");
    ASSERT_FALSE(menu.empty());
    EXPECT_EQ(PictureSize(o.Root + "/multi/" + menu), QSize(800, 600));
    for (int n = 1; n <= 2; ++n) {
        std::string value = tav::LookupKey(target, "Target" + std::to_string(n), "");
        ASSERT_FALSE(value.empty()) << n;
        const std::string picture = tav::NextToken(value, '|');
        const int left = tav::NextInt(value, ',', -1);
        const int top = tav::NextInt(value, '|', -1);
        const std::string folder = tav::NextToken(value, '|');
        const QSize strip = PictureSize(o.Root + "/multi/" + picture);
        EXPECT_TRUE(strip.isValid());
        EXPECT_EQ(strip.width() % 4, 0) << "a button picture holds four frames side by side";
        EXPECT_LE(left + strip.width() / 4, 800);
        EXPECT_LE(top + strip.height(), 600);
        EXPECT_GE(left, 0);
        EXPECT_GE(top, 0);
        EXPECT_TRUE(Exists(o.Root + "/" + folder + "/settings.txt")) << folder;
        EXPECT_TRUE(Exists(o.Root + "/" + folder + "/movieinf.txt")) << folder;
        EXPECT_TRUE(Exists(o.Root + "/" + folder + "/part1.mpg")) << folder;
    }
    EXPECT_EQ(tav::LookupKey(target, "Target3", ""), "");
    const auto second = MacLines(o.Root + "/French2/settings.txt");
    EXPECT_TRUE(second[0].endsWith("(2)"));
    EXPECT_EQ(tav::LookupKey(RawLines(o.Root + "/French2/settings.txt"), "MovieNames", ""),
              tav::LookupKey(RawLines(o.Root + "/French/settings.txt"), "MovieNames", ""));
}

TEST(DiscVariants, CustomStartDiscHasItsPictureAndAreas) {
    QTemporaryDir dir;
    demodisc::TDiscOptions o;
    o.Root = dir.path().toStdString();
    o.Cache = DEMODISC_TEST_CACHE;
    o.Fixture = true;
    o.CustomStart = true;
    o.ProgramMedia = false;
    demodisc::BuildDisc(o);
    const auto lines = RawLines(o.Root + "/CustomStart/CustomStart.txt");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(PictureSize(o.Root + "/CustomStart/" + lines[0]), QSize(800, 600));
    bool web = false, start = false;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string rest = lines[i];
        const std::string key = tav::NextToken(rest, '|');
        std::string area = tav::NextToken(rest, '|');
        const int l = tav::NextInt(area, ',', 0), t = tav::NextInt(area, ',', 0), r = tav::NextInt(area, ',', 0),
                  b = tav::NextInt(area, ',', 0);
        EXPECT_LT(l, r);
        EXPECT_LT(t, b);
        web = web || (key == "web" && rest.rfind("http", 0) == 0);
        start = start || key == "start";
    }
    EXPECT_TRUE(web);
    EXPECT_TRUE(start);
}
