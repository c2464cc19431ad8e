// Start-up: configuration, folders, target loading and every failure message.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "AppFixture.h"
#include "app/ContentLocation.h"
#include "content/OurUtils.h"
#include "platform/Paths.h"

using namespace tav;
using namespace tavtest;

namespace {

class StartUp : public ::testing::Test {
protected:
    TempFolder program, data;
    void SetUp() override {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
        SetContentAsker(nullptr);
        SetClassroomLinkFactory(nullptr);
        TForm_Main::LanguageFromSystem = [] { return 2; };
    }
    void TearDown() override {
        SetContentAsker(nullptr);
        SetClassroomLinkFactory(nullptr);
    }
};

} // namespace

TEST_F(StartUp, NoPCFolderFailsWithItsMessage) {
    MakeProgramFolder(program.Path(), {.multiMenu = true, .withPC = false});
    MessageCapture box;
    TForm_Main main({}, program.Path());
    EXPECT_FALSE(main.StartUp());
    EXPECT_EQ(box.Last(), "Can't find PC directory.");
    EXPECT_FALSE(main.Started);
}

TEST_F(StartUp, MissingConfigurationGivesEveryDefault) {
    MakeProgramFolder(program.Path(), {.multiMenu = true});
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_FALSE(main.Fast);
    EXPECT_FALSE(main.Cheat);
    EXPECT_FALSE(main.MovieVisible);
    EXPECT_TRUE(main.MovieSingle);
    EXPECT_TRUE(main.SyncRec);
    EXPECT_FALSE(main.NtMode);
    EXPECT_FALSE(main.Filter1);
    EXPECT_EQ(main.ExtraStart, 25);
    EXPECT_EQ(main.ExtraEnd, 5);
    EXPECT_EQ(main.Records, 1);
    EXPECT_EQ(main.LocalPath, "Scores");
    EXPECT_FALSE(main.Web.empty());
    EXPECT_EQ(main.StudentName, "You");
    EXPECT_TRUE(main.Started);
    // Records 1: the user's data folder, created.
    EXPECT_EQ(main.DataFolder, data.Path() + "\\Zandrel\\Tavolin");
    EXPECT_TRUE(DirectoryExists(main.DataFolder));
}

TEST_F(StartUp, RecordsZeroStoresNothing) {
    MakeProgramFolder(program.Path(), {.multiMenu = true, .config = "[Defaults]\r\nRecords=0\r\n"});
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.DataFolder, "");
    main.LoadTarget("French", "");
    EXPECT_EQ(main.ProfileFile, "");
    EXPECT_EQ(main.ReadProfileString("Students", "List", "none"), "none");
    main.WriteProfileString("Students", "List", "Ann");
    EXPECT_EQ(main.ReadProfileString("Students", "List", "none"), "none");
    EXPECT_FALSE(QDir(QString::fromStdString(data.Path() + "/Zandrel")).exists());
}

TEST_F(StartUp, RecordsTwoUsesLocalPathBesideTheProgramAndOtherValuesStoreNothing) {
    MakeProgramFolder(program.Path(), {.multiMenu = true, .config = "[Defaults]\r\nRecords=2\r\nLocalPath=Results\r\n"});
    {
        TForm_Main main({}, program.Path());
        ASSERT_TRUE(main.StartUp());
        EXPECT_EQ(main.DataFolder, program.Path() + "\\Results");
        EXPECT_TRUE(DirectoryExists(main.DataFolder));
    }
    WriteFile(program.File("sconfig.txt"), "[Defaults]\r\nRecords=7\r\n");
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.DataFolder, "");
}

TEST_F(StartUp, SconfigWinsOverConfigAndYesNoKeysUseTheLowByte) {
    MakeProgramFolder(program.Path(), {.multiMenu = true, .config = "[Defaults]\r\nFast=257\r\nCheat=256\r\nNT=1\r\n"});
    WriteFile(program.File("config.txt"), "[Defaults]\r\nFast=0\r\nExtraStart=99\r\n");
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_TRUE(main.Fast);
    EXPECT_FALSE(main.Cheat);
    EXPECT_TRUE(main.NtMode);
    EXPECT_EQ(main.ExtraStart, 25); // config.txt was not read
}

TEST_F(StartUp, NoNTWinsOverNT) {
    MakeProgramFolder(program.Path(), {.multiMenu = true, .config = "[Defaults]\r\nNT=1\r\nNoNT=1\r\n"});
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_FALSE(main.NtMode);
}

TEST_F(StartUp, ConfigurationReadBeforeItIsOpenIsAnError) {
    TForm_Main main({}, program.Path());
    try {
        main.ReadConfigInt("Defaults", "Fast", 0);
        FAIL();
    } catch (const EProgramError& e) {
        EXPECT_STREQ(e.what(), "ConfigFile not resident");
    }
}

TEST_F(StartUp, AttenuationIsLookedUpOnceByTargetAndExtension) {
    MakeProgramFolder(program.Path(), {.multiMenu = true, .config = "[Attenuation]\r\nFrench.aif=3\r\n"});
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    main.TargetFolderName = "French";
    EXPECT_EQ(main.GetAttenuation(".AIF"), 3);
    EXPECT_EQ(main.GetAttenuation(".wav"), -1);
    // Later changes to the configuration do not reach values already looked up.
    main.ConfigFile->WriteString("Attenuation", "French.aif", "9");
    main.ConfigFile->WriteString("Attenuation", "French.wav", "4");
    EXPECT_EQ(main.GetAttenuation(".aif"), 3);
    EXPECT_EQ(main.GetAttenuation(".wav"), -1);
    EXPECT_EQ(main.AttenuationCache.size(), 2u);
}

TEST_F(StartUp, MultiMenuDiscLoadsNoTargetAndStartsWithTheMultiMenu) {
    MakeProgramFolder(program.Path(), {.multiMenu = true});
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.MultiMenuPicture, "back.jpg");
    EXPECT_EQ(main.TargetFolderName, "");
    EXPECT_EQ(main.FirstState(), stMultiMenu);
    WriteFile(program.File("CustomStart/CustomStart.txt"), "start.jpg\r\n");
    EXPECT_EQ(main.FirstState(), -1);
}

TEST_F(StartUp, TargetLoadsCaptionLanguageAndFilmNames) {
    MakeProgramFolder(program.Path(), {});
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.TargetFolderName, "French");
    EXPECT_EQ(main.TargetFolder, program.Path() + "\\French");
    EXPECT_EQ(main.windowTitle(), "Tavolin - Fixture");
    EXPECT_EQ(main.TargetLanguage, 3);
    EXPECT_EQ(main.MovieNames, (TStringList{"part1.mpg", "part2.mpg"}));
    EXPECT_EQ(main.StartLinePool, (TStringList{"1", "3"}));
    EXPECT_EQ(main.ProfileFile, main.DataFolder + "\\French.ini");
    EXPECT_EQ(main.FirstState(), stStartMenu);
    EXPECT_EQ(main.HelpLanguage, 2);
    EXPECT_EQ(main.HelpFolder, program.Path() + "\\shared\\source\\bubb2");
}

TEST_F(StartUp, HelpLanguageFallsBackToTwo) {
    MakeProgramFolder(program.Path(), {.config = "[Defaults]\r\nRecords=2\r\n"});
    const std::string profile = program.File("Scores/French.ini");
    {
        // Offered and present: kept, and the name font of that language is read.
        WriteFile(profile, "[Defaults]\r\nLanguage=5\r\n");
        WriteFile(program.File("sconfig.txt"), "[Defaults]\r\nRecords=2\r\n[Name]\r\nFont5=Courier New\r\n");
        TForm_Main main({}, program.Path());
        ASSERT_TRUE(main.StartUp());
        EXPECT_EQ(main.HelpLanguage, 5);
        // The start resets the name font; a later change of language reads it.
        EXPECT_EQ(main.NameFont, "Arial");
        main.SetHelpLanguage(2);
        main.SetHelpLanguage(5);
        EXPECT_EQ(main.NameFont, "Courier New");
    }
    {
        // No longer offered.
        WriteFile(profile, "[Defaults]\r\nLanguage=7\r\n");
        QDir().mkpath(QString::fromStdString(program.File("shared/source/bubb7")));
        TForm_Main main({}, program.Path());
        ASSERT_TRUE(main.StartUp());
        EXPECT_EQ(main.HelpLanguage, 2);
        EXPECT_EQ(GetProfile("Defaults", "Language", "", profile), "2");
    }
    {
        // Offered but its folder is gone.
        WriteFile(profile, "[Defaults]\r\nLanguage=5\r\n");
        QDir(QString::fromStdString(program.File("shared/source/bubb5"))).removeRecursively();
        TForm_Main main({}, program.Path());
        ASSERT_TRUE(main.StartUp());
        EXPECT_EQ(main.HelpLanguage, 2);
    }
}

TEST_F(StartUp, FirstRunTakesTheSystemLanguageWhenOffered) {
    MakeProgramFolder(program.Path(), {.config = "[Defaults]\r\nRecords=2\r\n"});
    TForm_Main::LanguageFromSystem = [] { return 5; };
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.HelpLanguage, 5);
}

TEST_F(StartUp, UnreadableTargetFilesAreReportedAsSystemFiles) {
    MakeProgramFolder(program.Path(), {});
    QFile::remove(QString::fromStdString(program.File("French/settings.txt")));
    MessageCapture box;
    TForm_Main main({}, program.Path());
    EXPECT_FALSE(main.StartUp());
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_EQ(box.Last().rfind("Error reading system files: ", 0), 0u) << box.Last();
    EXPECT_NE(box.Last().find("settings.txt"), std::string::npos);
}

TEST_F(StartUp, ContentNotBesideTheProgramAsksForTheDisc) {
    MakeProgramFolder(program.Path(), {});
    QFile::remove(QString::fromStdString(program.File("Spelinfo.txt")));
    TempFolder disc;
    MakeFixtureDisc(disc.Path());
    WriteFile(disc.File("Target.txt"), "MultiMenu|m.jpg\r\n");
    int asked = 0;
    SetContentAsker([&] { ++asked; return disc.Path(); });
    {
        TForm_Main main({}, program.Path());
        ASSERT_TRUE(main.StartUp());
        EXPECT_EQ(main.ContentRoot, disc.Path());
        EXPECT_EQ(asked, 1);
    }
    // Cancelled: fails without a message.
    SetContentAsker([&] { ++asked; return std::string(); });
    MessageCapture box;
    TForm_Main main({}, program.Path());
    EXPECT_FALSE(main.StartUp());
    EXPECT_TRUE(box.Messages.empty());
}

TEST_F(StartUp, RemoteWithoutALinkCannotStart) {
    MakeProgramFolder(program.Path(), {.multiMenu = true});
    MessageCapture box;
    TForm_Main main({"remote=1"}, program.Path());
    EXPECT_TRUE(main.Remote);
    EXPECT_FALSE(main.StartUp());
    EXPECT_EQ(box.Last().rfind("Couldn't connect: ", 0), 0u);
}

TEST_F(StartUp, RemoteContentRootWithoutContentFilesDisconnects) {
    MakeProgramFolder(program.Path(), {.multiMenu = true});
    TempFolder empty;
    std::vector<std::string> calls;
    SetClassroomLinkFactory([&] {
        auto link = std::make_unique<FakeLink>(&calls);
        link->Info.ContentRoot = empty.Path();
        return link;
    });
    MessageCapture box;
    TForm_Main main({"remote=1"}, program.Path());
    EXPECT_FALSE(main.StartUp());
    EXPECT_EQ(box.Last(), "Can't find system files!");
    EXPECT_EQ(calls, (std::vector<std::string>{"Connect", "GetStudentInfo", "Disconnect 0"}));
}

TEST_F(StartUp, RemoteContentRootGivenAsPercentSIsSearchedFor) {
    MakeProgramFolder(program.Path(), {.multiMenu = true});
    std::vector<std::string> calls;
    SetClassroomLinkFactory([&] {
        auto link = std::make_unique<FakeLink>(&calls);
        link->Info.ContentRoot = "%s";
        return link;
    });
    int asked = 0;
    SetContentAsker([&] { ++asked; return std::string(); });
    MessageCapture box;
    TForm_Main main({"remote=1"}, program.Path());
    EXPECT_FALSE(main.StartUp());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(calls.back(), "Disconnect 0");
}

TEST_F(StartUp, RemoteLearnerAndTargetComeFromTheManagerAndNoLocalFileIsTouched) {
    MakeProgramFolder(program.Path(), {});
    std::vector<std::string> calls;
    FakeLink* fake = nullptr;
    SetClassroomLinkFactory([&] {
        auto link = std::make_unique<FakeLink>(&calls);
        link->Info.ContentRoot = program.Path() + "\\";
        link->Info.LearnerName = "Ann";
        link->Store["Student Ann/Scores"] = "80,90";
        fake = link.get();
        return link;
    });
    TForm_Main main({"remote=1"}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.ContentRoot, program.Path());
    EXPECT_EQ(main.StudentName, "Ann");
    EXPECT_EQ(main.Scores[1], 80);
    EXPECT_EQ(main.Scores[2], 90);
    EXPECT_EQ(main.Scores[3], 0);
    // Remote mode does not look up the user's data folder: profiles would go
    // beside the program, but nothing is written locally.
    EXPECT_EQ(main.DataFolder, program.Path());
    main.WriteProfileString("Student Ann", "Percents", "1,2,3,4");
    EXPECT_EQ(fake->Store["Student Ann/Percents"], "1,2,3,4");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(program.File("French.ini"))));
    EXPECT_FALSE(QDir(QString::fromStdString(data.Path() + "/Zandrel")).exists());
}

TEST_F(StartUp, InactivityTimerFollowsTheTimeoutAndLeftClicksOnly) {
    MakeProgramFolder(program.Path(), {.multiMenu = true});
    TForm_Main main({"timeout=2"}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_TRUE(main.Timer_Inactivity.isActive());
    EXPECT_EQ(main.Timer_Inactivity.interval(), 120000);

    QWidget target;
    QMouseEvent left(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::RightButton, Qt::RightButton,
                      Qt::NoModifier);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    main.Timer_Inactivity.stop();
    main.AppMessageHook(&target, &right);
    main.AppMessageHook(&target, &key);
    EXPECT_FALSE(main.Timer_Inactivity.isActive()) << "only the left button counts as activity";
    main.AppMessageHook(&target, &left);
    EXPECT_TRUE(main.Timer_Inactivity.isActive());

    main.PauseInactivityTimer(true);
    EXPECT_FALSE(main.Timer_Inactivity.isActive());
    main.AppMessageHook(&target, &left);
    EXPECT_FALSE(main.Timer_Inactivity.isActive()) << "a paused timer stays paused";
    main.PauseInactivityTimer(false);
    EXPECT_TRUE(main.Timer_Inactivity.isActive());
}

TEST_F(StartUp, WithoutTimeoutTheTimerNeverRuns) {
    MakeProgramFolder(program.Path(), {.multiMenu = true});
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_FALSE(main.Timer_Inactivity.isActive());
    main.PauseInactivityTimer(true);
    main.PauseInactivityTimer(false);
    EXPECT_FALSE(main.Timer_Inactivity.isActive());
    Pump(50);
    EXPECT_FALSE(main.ClosedByTimeout);
}

TEST_F(StartUp, TimeoutClosesTheProgramAndARemoteCloseDisconnectsWithTheFlag) {
    MakeProgramFolder(program.Path(), {});
    std::vector<std::string> calls;
    SetClassroomLinkFactory([&] {
        auto link = std::make_unique<FakeLink>(&calls);
        link->Info.ContentRoot = program.Path();
        link->Info.LearnerName = "Ann";
        return link;
    });
    RegisterProbeScreens();
    TForm_Main main({"remote=1", "timeout=1"}, program.Path());
    main.show(); // runs the start-up and shows the first screen
    ASSERT_TRUE(WaitUntil([&] { return main.Started && main.CurrentScreen() != nullptr; }));
    EXPECT_EQ(calls.back(), "HideHubrell");
    main.Timer_Inactivity.setInterval(20); // a minute is too long for a test
    main.Timer_Inactivity.start();
    ASSERT_TRUE(WaitUntil([&] { return main.ClosedByTimeout && !main.isVisible(); }));
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], "Score 0 0");
    EXPECT_EQ(calls.back(), "Disconnect 1");
    UnregisterScreens();
}

TEST_F(StartUp, BadCommandLineNumberIsReported) {
    MessageCapture box(TModalResult::Ignore);
    TForm_Main main({"timeout=3", "timeout=x"}, program.Path());
    EXPECT_EQ(box.Last(), "System error: 'x' is not a valid integer value");
    EXPECT_EQ(main.TimeoutMinutes, 3);
}

TEST_F(StartUp, WebAddressUsesTheTargetAndHelpLanguages) {
    MakeProgramFolder(program.Path(), {.config = "[Defaults]\r\nRecords=0\r\nWeb=www.example.org/x.html?[[trg]]&[[src]]\r\n"});
    TForm_Main main({}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(main.BuildWebAddress(), "http://www.example.org/x.html?trg=003&src=002");
}
