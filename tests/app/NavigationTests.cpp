// Screen navigation: posted state changes, transitions, screen-ready
// messages, typed characters, dropped input and activity reports.
#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

#include <algorithm>
#include <QTest>
#include <QTimer>

#include "AppFixture.h"
#include "app/ScreenRegistry.h"
#include "platform/Messages.h"
#include "toolkit/AppEvents.h"
#include "toolkit/ScreenContainer.h"

using namespace tav;
using namespace tavtest;

namespace {

class Navigation : public ::testing::Test {
protected:
    TempFolder program, data;
    std::unique_ptr<TForm_Main> main;

    void SetUp() override {
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
        ScreenLog.clear();
        RegisterProbeScreens(stWordSearch);
    }
    void TearDown() override {
        main.reset();
        UnregisterScreens();
        QCoreApplication::sendPostedEvents();
        TForm_Main::Terminate = savedTerminate;
    }
    const std::function<void()> savedTerminate = TForm_Main::Terminate;
    // Starts the program on a multi-menu disc and waits for its first screen.
    void Start(const std::string& config = "[Defaults]\r\nRecords=0\r\n") {
        MakeProgramFolder(program.Path(), {.multiMenu = true, .config = config});
        main = std::make_unique<TForm_Main>(std::vector<std::string>{}, program.Path());
        main->show();
        ASSERT_TRUE(WaitUntil([&] { return LogHas("create 1"); }));
        ASSERT_TRUE(main->Started);
    }
    ProbeScreen* Current() { return dynamic_cast<ProbeScreen*>(main->CurrentScreen()); }
    bool ShowsState(int s) { return Current() && Current()->State == s && !main->FormContainer_Main->InTransition(); }
};

} // namespace

TEST_F(Navigation, FirstScreenComesWithoutTransitionOrReadyMessage) {
    Start();
    EXPECT_TRUE(ShowsState(stMultiMenu));
    Pump(50);
    EXPECT_FALSE(LogHas("ready 1"));
}

TEST_F(Navigation, StateChangeIsPostedAndRunsAWipeBeforeTheReadyMessage) {
    Start();
    main->PostStateChange(stMainMenu, 1);
    EXPECT_FALSE(LogHas("create 5")) << "the change must wait for the event loop";
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 5"); }));
    EXPECT_TRUE(main->FormContainer_Main->InTransition());
    EXPECT_FALSE(LogHas("ready 5"));
    // The hourglass stays up until the effect has ended.
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(LogHas("destroy 1") || WaitUntil([&] { return LogHas("destroy 1"); }, 200));
    ASSERT_TRUE(WaitUntil([&] { return LogHas("ready 5"); }, 3000));
    EXPECT_TRUE(ShowsState(stMainMenu));
    EXPECT_EQ(main->ReadyScreen.data(), Current());
    EXPECT_EQ(main->KeyScreen.data(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Navigation, AChangeDuringATransitionGivesTheNewScreenOneReadyMessage) {
    Start();
    main->PostStateChange(stMainMenu, 1);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 5"); }));
    ASSERT_TRUE(main->FormContainer_Main->InTransition());
    main->PostStateChange(stActivitiesMenu, 1);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 6"); }));
    ASSERT_TRUE(WaitUntil([&] { return LogHas("ready 6"); }, 3000));
    Pump(100);
    EXPECT_EQ(std::count(ScreenLog.begin(), ScreenLog.end(), "ready 6"), 1);
    EXPECT_FALSE(LogHas("ready 5")) << "the replaced screen is not started";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Navigation, TopBitOfTheTransitionIsIgnored) {
    Start();
    main->PostStateChange(stMainMenu, 0x81);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 5"); }));
    EXPECT_TRUE(main->FormContainer_Main->InTransition()) << "0x81 is a wipe to the right";
    ASSERT_TRUE(WaitUntil([&] { return LogHas("ready 5"); }, 3000));
    // Codes 8..127 mean no effect.
    main->PostStateChange(stActivitiesMenu, 9);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 6"); }));
    EXPECT_FALSE(main->FormContainer_Main->InTransition());
}

TEST_F(Navigation, FastMakesEveryChangeImmediate) {
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    main->PostStateChange(stMainMenu, trBlend);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 5"); }));
    EXPECT_FALSE(main->FormContainer_Main->InTransition());
    EXPECT_TRUE(ShowsState(stMainMenu));
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(LogHas("ready 5"));
}

TEST_F(Navigation, UnknownStateKeepsTheCurrentScreen) {
    Start();
    MessageCapture box;
    PostMessage(main.get(), WM_USER, 23, 1);
    ASSERT_TRUE(WaitUntil([&] { return !box.Messages.empty(); }));
    EXPECT_EQ(box.Last(), "Unknown state change 23");
    EXPECT_EQ(box.Messages[0].Icon, TMsgIcon::Error);
    EXPECT_TRUE(ShowsState(stMultiMenu));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Navigation, ScreenThatFailsToBuildReachesTheErrorBoxAndGetsNoReadyMessage) {
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    MessageCapture box(TModalResult::Ignore);
    main->PostStateChange(stWordSearch, 1);
    ASSERT_TRUE(WaitUntil([&] { return !box.Messages.empty(); }));
    EXPECT_EQ(box.Last(), "System error: broken screen");
    EXPECT_EQ(box.Messages[0].Buttons, TMsgButtons::AbortIgnore);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(ShowsState(stMultiMenu));
    EXPECT_EQ(main->ReadyScreen.data(), nullptr);
    Pump(50);
    EXPECT_FALSE(LogHas("ready 1"));
    // Ignore carries on: the next change works.
    main->PostStateChange(stMainMenu, 1);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("ready 5"); }));
}

TEST_F(Navigation, AbortInTheErrorBoxTerminates) {
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    bool terminated = false;
    TForm_Main::Terminate = [&] { terminated = true; };
    MessageCapture box(TModalResult::Abort);
    main->PostStateChange(stWordSearch, 1);
    ASSERT_TRUE(WaitUntil([&] { return terminated; }));
}

TEST_F(Navigation, AbortForABadStartUpNumberEndsTheProgramBeforeItsLoop) {
    MakeProgramFolder(program.Path(), {.config = "[Defaults]\r\nRecords=0\r\n"});
    MessageCapture box(TModalResult::Abort);
    main = std::make_unique<TForm_Main>(std::vector<std::string>{"remote=abc"}, program.Path());
    ASSERT_EQ(box.Messages.size(), 1u);
    // A loop that runs on is ended by the watchdog with another code.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(3000);
    EXPECT_EQ(TForm_Main::RunEventLoop(), 1);
}

TEST_F(Navigation, StateZeroClosesTheWindow) {
    Start();
    main->PostStateChange(stQuit, 0);
    ASSERT_TRUE(WaitUntil([&] { return !main->isVisible(); }));
}

TEST_F(Navigation, TypedCharactersReachOnlyTheLineActivities) {
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    main->PostStateChange(stScreenPlay, 1);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stScreenPlay); }));
    QTest::keyClick(main.get(), Qt::Key_A);
    for (int s : {stSpellingPrac, stSpellingTest, stMissingPrac, stMissingTest, stNextLinePrac, stNextLineTest}) {
        main->PostStateChange(s, 1);
        ASSERT_TRUE(WaitUntil([&] { return ShowsState(s); }));
        QTest::keyClick(main.get(), Qt::Key_B);
        EXPECT_TRUE(LogHas("key " + std::to_string(s) + " b")) << s;
    }
    main->PostStateChange(stVocabTest, 1);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stVocabTest); }));
    QTest::keyClick(main.get(), Qt::Key_C);
    for (const auto& e : ScreenLog) {
        EXPECT_NE(e, "key 7 a");
        EXPECT_NE(e, "key 15 c");
    }
}

TEST_F(Navigation, ClicksDuringATransitionAreDroppedAndLaterOnesKept) {
    Start();
    main->PostStateChange(stMainMenu, trWipeDown);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("create 5"); }));
    ASSERT_TRUE(main->FormContainer_Main->InTransition());
    ProbeScreen* screen = Current();
    QTest::mouseClick(screen, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(main.get(), Qt::Key_X);
    ASSERT_TRUE(WaitUntil([&] { return LogHas("ready 5"); }, 3000));
    EXPECT_EQ(screen->Clicks, 0);
    QTest::mouseClick(screen, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(screen->Clicks, 1);
}

TEST_F(Navigation, FlushInputDropsQueuedInputAndKeepsLaterInput) {
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    ProbeScreen* screen = Current();
    auto press = [] {
        return new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                               Qt::LeftButton, Qt::NoModifier);
    };
    QCoreApplication::postEvent(screen, press());
    QCoreApplication::postEvent(screen, press());
    main->FlushInput();
    QCoreApplication::postEvent(screen, press());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(screen->Clicks, 1);
}

TEST_F(Navigation, RemoteReportsStartEndAndScoreInOrder) {
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    std::vector<std::string> calls;
    main->Remote = true;
    main->Link = std::make_unique<FakeLink>(&calls);
    main->Scores = {0, 100, 90, 95, 90};
    main->PostStateChange(stMainMenu, 1);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stMainMenu); }));
    EXPECT_TRUE(calls.empty()) << "no activity was running";
    main->PostStateChange(stScreenPlay, 1);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stScreenPlay); }));
    main->PostStateChange(stMainMenu, 2);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stMainMenu); }));
    EXPECT_EQ(calls, (std::vector<std::string>{"Start 411", "End 411 -1", "Score 375 3"}));

    // A test's score is the last score of its activity.
    calls.clear();
    main->PostStateChange(stMissingTest, 1);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stMissingTest); }));
    main->RecordTestScore(2, 60);
    main->PostStateChange(stActivitiesMenu, 2);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stActivitiesMenu); }));
    EXPECT_EQ(calls, (std::vector<std::string>{"Start 472", "Write Student You/Scores=100,60,95,90", "End 472 60",
                                               "Score 345 1"}));

    // Recording reports 430 + the chosen actor.
    calls.clear();
    main->RecordNumber = 4;
    main->PostStateChange(stRecording, 1);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stRecording); }));
    EXPECT_EQ(calls, (std::vector<std::string>{"Start 434"}));
}

TEST_F(Navigation, StandAloneReportsNothing) {
    Start("[Defaults]\r\nRecords=0\r\nFast=1\r\n");
    // A link is there, but the program does not run under the manager.
    std::vector<std::string> calls;
    main->Remote = false;
    main->Link = std::make_unique<FakeLink>(&calls);
    main->PostStateChange(stScreenPlay, 1);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stScreenPlay); }));
    main->PostStateChange(stMainMenu, 2);
    ASSERT_TRUE(WaitUntil([&] { return ShowsState(stMainMenu); }));
    EXPECT_TRUE(calls.empty()) << calls.front();
    EXPECT_EQ(main->CurrentActivity, 0);
}
