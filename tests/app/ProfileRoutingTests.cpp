// Learner-profile operations go to the classroom manager in remote mode, to
// the profile file otherwise, and nowhere without one; scores follow.
#include <gtest/gtest.h>

#include "AppFixture.h"
#include "content/OurUtils.h"
#include "platform/Paths.h"

using namespace tav;
using namespace tavtest;

TEST(ProfileRouting, ProfileFileWhenThereIsOne) {
    TempFolder dir;
    TForm_Main main({}, dir.Path());
    main.ProfileFile = dir.Path() + "\\French.ini";
    main.WriteProfileInt("Defaults", "Language", 5);
    EXPECT_EQ(GetProfile("Defaults", "Language", "", main.ProfileFile), "5");
    EXPECT_EQ(main.ReadProfileInt("Defaults", "Language", 2), 5);
    main.WriteProfileString("Defaults", "Language", "five");
    EXPECT_EQ(main.ReadProfileInt("Defaults", "Language", 2), 2);
}

TEST(ProfileRouting, NothingWithoutAProfileFile) {
    TempFolder dir;
    TForm_Main main({}, dir.Path());
    main.ProfileFile.clear();
    main.WriteProfileString("A", "B", "C");
    EXPECT_EQ(main.ReadProfileString("A", "B", "dflt"), "dflt");
    EXPECT_EQ(main.ReadProfileInt("A", "B", 7), 7);
}

TEST(ProfileRouting, RemoteGoesToTheManagerEvenWithAProfileFile) {
    TempFolder dir;
    std::vector<std::string> calls;
    TForm_Main main({}, dir.Path());
    main.ProfileFile = dir.Path() + "\\French.ini";
    main.Remote = true;
    auto link = std::make_unique<FakeLink>(&calls);
    link->Store["Students/List"] = "Ann";
    main.Link = std::move(link);
    EXPECT_EQ(main.ReadProfileString("Students", "List", ""), "Ann");
    main.WriteProfileInt("Defaults", "Language", 5);
    EXPECT_EQ(calls, (std::vector<std::string>{"Get Students/List", "Write Defaults/Language=5"}));
    EXPECT_FALSE(FileExists(main.ProfileFile));
}

TEST(Scores, LoadRecordAndAward) {
    TempFolder dir;
    TForm_Main main({}, dir.Path());
    main.ProfileFile = dir.Path() + "\\French.ini";
    WriteProfile("Student Ann", "Scores", "80,90", main.ProfileFile);
    main.LoadStudent("Ann");
    EXPECT_EQ(main.StudentName, "Ann");
    EXPECT_EQ(main.Scores, (TResults{0, 80, 90, 0, 0}));
    EXPECT_EQ(main.Percents, (TResults{0, 0, 0, 0, 0}));
    main.RecordPracticePercent(3, 45);
    EXPECT_EQ(GetProfile("Student Ann", "Percents", "", main.ProfileFile), "0,0,45,0");
    EXPECT_EQ(main.LastScore, 45);
    main.RecordTestScore(4, 100);
    main.RecordTestScore(1, 50); // lower than before: replaces it all the same
    EXPECT_EQ(GetProfile("Student Ann", "Scores", "", main.ProfileFile), "50,90,0,100");
    EXPECT_EQ(main.TotalScore(), 240);
}

TEST(Scores, AwardLevels) {
    EXPECT_EQ(AwardLevel(375), 3);
    EXPECT_EQ(AwardName(400), "Gold");
    EXPECT_EQ(AwardLevel(374), 2);
    EXPECT_EQ(AwardName(350), "Silver");
    EXPECT_EQ(AwardLevel(349), 1);
    EXPECT_EQ(AwardName(300), "Bronze");
    EXPECT_EQ(AwardLevel(299), 0);
    EXPECT_EQ(AwardName(0), "");
    EXPECT_EQ(ParseResults("1,x,3"), (TResults{0, 1, 0, 3, 0}));
    EXPECT_EQ(FormatResults(TResults{0, 1, 2, 3, 4}), "1,2,3,4");
}
