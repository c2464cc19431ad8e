// The start, main and activities menus on the generated fixture disc: where
// each button leads, the results and award, the text panel, and when the
// film clip pool is created, reset and freed.
#include <gtest/gtest.h>

#include <QDir>
#include <QPlainTextEdit>
#include <QTest>

#include "../app/AppFixture.h"
#include "app/ClipPoolLink.h"
#include "app/ContentLocation.h"
#include "components/ZrButton.h"
#include "content/OurUtils.h"
#include "menus/ActivitiesMenu.h"
#include "components/HelpOverlay.h"
#include "menus/MainMenu.h"
#include "menus/StartMenu.h"
#include "toolkit/Image.h"
#include "toolkit/Label.h"
#include "toolkit/Panel.h"
#include "toolkit/Timer.h"

using namespace tav;
using namespace tavtest;

namespace {

// A fake clip pool that records what the menus ask of it.
struct FakePool {
    bool exists = false;
    std::vector<std::string> calls;
    void Install() {
        auto& link = ClipPoolLink();
        link.Exists = [this] { return exists; };
        link.Create = [this](bool visible) { exists = true; calls.push_back(visible ? "create visible" : "create"); };
        link.ResetPlayers = [this] { calls.push_back("reset"); };
        link.DetachDisplay = [this] { calls.push_back("detach"); };
        link.Free = [this] { exists = false; calls.push_back("free"); };
    }
    ~FakePool() { ClipPoolLink() = TClipPoolLink{}; }
};

class Menus : public ::testing::Test {
protected:
    TempFolder program, data;
    std::unique_ptr<TForm_Main> main;
    FakePool pool;
    std::string disc;

    void SetUp() override {
        // The program folder holds the PC media and the configuration; the
        // content comes from the fixture disc.
        disc = UseFixtureDisc(program.Path());
        if (disc.empty()) GTEST_FAIL() << "the fixture disc was not generated (build fixture_disc)";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
        ScreenLog.clear();
        RegisterProbeScreens();
        RegisterScreen(stStartMenu, [](TForm_Main& m, QWidget* p) { return new TForm_StartMenu(m, p); });
        RegisterScreen(stMainMenu, [](TForm_Main& m, QWidget* p) { return new TForm_MainMenu(m, p); });
        RegisterScreen(stActivitiesMenu, [](TForm_Main& m, QWidget* p) { return new TForm_ActivitiesMenu(m, p); });
        pool.Install();
        MainPoolReset = ActivitiesPoolReset = false;
    }
    void TearDown() override {
        main.reset();
        UnregisterScreens();
        SetContentAsker(nullptr);
        TTimer::SetManualTimers(false);
    }
    void Start(std::vector<std::string> args = {}, const std::string& config = "[Defaults]\r\nRecords=0\r\nFast=1\r\n") {
        WriteFile(program.File("sconfig.txt"), config);
        main = std::make_unique<TForm_Main>(args, program.Path());
        main->show();
        ASSERT_TRUE(WaitUntil([&] { return StartMenu() != nullptr; }));
    }
    TForm_StartMenu* StartMenu() { return dynamic_cast<TForm_StartMenu*>(main->CurrentScreen()); }
    template <class T>
    T* Screen() { return dynamic_cast<T*>(main->CurrentScreen()); }
    void Go(int state) {
        main->PostStateChange(state, trWipeRight);
        ASSERT_TRUE(WaitUntil([&] { return Probe(state) || IsMenu(state); }));
        QCoreApplication::sendPostedEvents(); // the screen-ready message
    }
    bool IsMenu(int state) {
        switch (state) {
        case stStartMenu: return Screen<TForm_StartMenu>() != nullptr;
        case stMainMenu: return Screen<TForm_MainMenu>() != nullptr;
        case stActivitiesMenu: return Screen<TForm_ActivitiesMenu>() != nullptr;
        default: return false;
        }
    }
    bool Probe(int state) {
        auto* p = dynamic_cast<ProbeScreen*>(main->CurrentScreen());
        return p && p->State == state;
    }
    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(w->width() / 2, w->height() / 2)); }
};

} // namespace

TEST_F(Menus, StartMenuLeadsToSignInAndTheHelpLanguage) {
    Start();
    EXPECT_FALSE(StartMenu()->Panel_HideButtons->isVisible());
    EXPECT_EQ(StartMenu()->EButton_Start->geometry(), QRect(337, 260, 125, 55));
    EXPECT_EQ(StartMenu()->PaintBox_Version->toolTip().left(8), "Version ");
    Click(StartMenu()->EButton_Start);
    ASSERT_TRUE(WaitUntil([&] { return Probe(stStudRec); }));
    main->PostStateChange(stStartMenu, 0);
    ASSERT_TRUE(WaitUntil([&] { return StartMenu() != nullptr; }));
    Click(StartMenu()->EButton_Flag);
    ASSERT_TRUE(WaitUntil([&] { return Probe(stHelpMenu); }));
}

TEST_F(Menus, RemoteStartSkipsSignInAndCoversTheSmallButtons) {
    std::vector<std::string> calls;
    SetClassroomLinkFactory([&] {
        auto link = std::make_unique<FakeLink>(&calls);
        link->Info.ContentRoot = disc;
        link->Info.LearnerName = "Ann";
        return link;
    });
    Start({"remote=1"});
    SetClassroomLinkFactory(nullptr);
    EXPECT_TRUE(StartMenu()->Panel_HideButtons->isVisible());
    Click(StartMenu()->EButton_Start);
    ASSERT_TRUE(WaitUntil([&] { return IsMenu(stMainMenu); }));
}

TEST_F(Menus, TextPanelShowsMacTextAndHidesBackAndLifebelt) {
    WriteFile(program.File("PC/pcreadme.txt"), "Caf\x8E au lait\r\nLigne 2\r\n");
    Start();
    TForm_StartMenu* s = StartMenu();
    Click(s->EButton_ReadMe);
    EXPECT_TRUE(s->TextPanelShown());
    EXPECT_EQ(s->Memo_Text->toPlainText(), QString::fromUtf8("Café au lait\nLigne 2"));
    EXPECT_FALSE(s->EButton_Back->isVisible());
    EXPECT_FALSE(s->Help->Image_Lifebelt->isVisible());
    s->PaintBox_ExitTextClick();
    EXPECT_FALSE(s->TextPanelShown());
    EXPECT_TRUE(s->EButton_Back->isVisible());
    EXPECT_TRUE(s->Help->Image_Lifebelt->isVisible());
}

TEST_F(Menus, MissingTextFileLeavesThePanelClosed) {
    Start();
    QFile::remove(QString::fromStdString(program.File("PC/pcreadme.txt")));
    MessageCapture box(TModalResult::Ignore);
    Click(StartMenu()->EButton_ReadMe);
    EXPECT_EQ(box.Last().rfind("System error: ", 0), 0u);
    EXPECT_FALSE(StartMenu()->TextPanelShown());
    EXPECT_TRUE(StartMenu()->EButton_Back->isVisible());
}

TEST_F(Menus, BackWithoutAMultiMenuEndsTheProgram) {
    Start();
    Click(StartMenu()->EButton_Back);
    ASSERT_TRUE(WaitUntil([&] { return !main->isVisible(); }));
}

TEST_F(Menus, TheClipPoolIsMadeOnceAndResetOnlyAfterHeavyScreens) {
    Start();
    Go(stMainMenu);
    EXPECT_EQ(pool.calls, (std::vector<std::string>{"create"}));
    // The recording selection does not reset the pool...
    Click(Screen<TForm_MainMenu>()->EButton_Record);
    ASSERT_TRUE(WaitUntil([&] { return Probe(stRecSelect); }));
    Go(stMainMenu);
    EXPECT_EQ(pool.calls, (std::vector<std::string>{"create", "detach"}));
    // ...the quiz does.
    Click(Screen<TForm_MainMenu>()->EButton_MovieQuiz);
    ASSERT_TRUE(WaitUntil([&] { return Probe(stQuiz); }));
    Go(stMainMenu);
    EXPECT_EQ(pool.calls, (std::vector<std::string>{"create", "detach", "detach", "reset"}));
    EXPECT_FALSE(MainPoolReset);
    // An activity resets it when the activities menu shows again.
    Click(Screen<TForm_MainMenu>()->EButton_Activities);
    ASSERT_TRUE(WaitUntil([&] { return IsMenu(stActivitiesMenu); }));
    QCoreApplication::sendPostedEvents(); // its screen-ready message
    Click(Screen<TForm_ActivitiesMenu>()->EButton_MissingTest);
    ASSERT_TRUE(WaitUntil([&] { return Probe(stMissingTest); }));
    EXPECT_TRUE(ActivitiesPoolReset);
    Go(stActivitiesMenu);
    EXPECT_EQ(pool.calls.back(), "reset");
    EXPECT_FALSE(ActivitiesPoolReset);
}

TEST_F(Menus, ResultsAwardAndPrintFollowTheTotal) {
    Start();
    main->Percents = {0, 10, 20, 30, 40};
    main->Scores = {0, 100, 100, 99, 0}; // 299: no award
    Go(stActivitiesMenu);
    auto* m = Screen<TForm_ActivitiesMenu>();
    EXPECT_EQ(m->fcLabel_Percent[3]->Caption(), "30");
    EXPECT_EQ(m->fcLabel_Score[1]->Caption(), "100");
    EXPECT_EQ(m->fcLabel_Total->Caption(), "299");
    EXPECT_FALSE(m->EButton_Print->isEnabled());
    EXPECT_TRUE(m->Image_Stars->Picture().isNull());
    EXPECT_FALSE(m->Timer_Star.Enabled());

    main->Scores = {0, 100, 100, 100, 0}; // 300: bronze
    Go(stMainMenu);
    Go(stActivitiesMenu);
    m = Screen<TForm_ActivitiesMenu>();
    EXPECT_EQ(m->AwardShown, "Bronze");
    EXPECT_TRUE(m->EButton_Print->isEnabled());
    EXPECT_FALSE(m->Image_Stars->Picture().isNull());
    EXPECT_TRUE(m->Timer_Star.Enabled());
}

TEST_F(Menus, StarsSparkleSixTimesAndRestOnTheFirstFrame) {
    TTimer::SetManualTimers(true);
    Start();
    main->Scores = {0, 100, 100, 100, 75}; // 375: gold
    Go(stActivitiesMenu);
    auto* m = Screen<TForm_ActivitiesMenu>();
    EXPECT_EQ(m->AwardShown, "Gold");
    EXPECT_EQ(m->StarFrame, -1);
    TTimer::AdvanceTimers(50);
    EXPECT_EQ(m->StarFrame, 0);
    TTimer::AdvanceTimers(50 * 19);
    EXPECT_EQ(m->StarFrame, 19);
    TTimer::AdvanceTimers(50 * 20 * 5 + 50);
    EXPECT_EQ(m->StarCycles, 6);
    EXPECT_EQ(m->StarFrame, 0);
    EXPECT_FALSE(m->Timer_Star.Enabled());
    TTimer::AdvanceTimers(500);
    EXPECT_EQ(m->StarFrame, 0);
}

TEST_F(Menus, PrintingReportsTheCertificateActivity) {
    Start();
    main->Scores = {0, 100, 100, 100, 50};
    std::vector<std::string> printed;
    PrintCertificateHook = [&](const std::string& name, const std::string& award) {
        printed.push_back(name + "/" + award);
    };
    std::vector<std::string> calls;
    main->Remote = true;
    main->Link = std::make_unique<FakeLink>(&calls);
    Go(stActivitiesMenu);
    calls.clear();
    Screen<TForm_ActivitiesMenu>()->EButton_PrintClick();
    PrintCertificateHook = nullptr;
    EXPECT_EQ(printed, (std::vector<std::string>{"You/Silver"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"Start 401", "End 401 -1", "Score 350 2"}));

    // A failed print still ends the activity.
    calls.clear();
    PrintCertificateHook = [](const std::string&, const std::string&) { throw EProgramError("no paper"); };
    EXPECT_THROW(Screen<TForm_ActivitiesMenu>()->EButton_PrintClick(), EProgramError);
    PrintCertificateHook = nullptr;
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1], "End 401 -1");
}
