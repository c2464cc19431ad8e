// The classroom link over a private D-Bus session bus, against a manager that
// answers from its own thread: start-up, profile routing, the report order,
// the shut-down request, a manager that goes away and comes back.
#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTimer>

#include <algorithm>

#include "../app/AppFixture.h"
#include "ManagerPeer.h"
#include "app/ContentLocation.h"
#include "menus/InsertDVD.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "learners/ClassroomBus.h"
#include "learners/HubrellControlCOM.h"

using namespace tav;
using namespace tavtest;

namespace {

using Calls = std::vector<std::string>;

class HubrellLink : public ::testing::Test {
protected:
    TempFolder program, data;
    std::unique_ptr<ManagerPeer> peer;
    QDBusConnection programBus = ConnectToPrivateBus(QStringLiteral("program"));
    std::vector<std::string> debugLines;

    void SetUp() override {
        ASSERT_TRUE(programBus.isConnected()) << "dbus-daemon did not start";
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.Path()));
        peer = std::make_unique<ManagerPeer>();
        SetClassroomLinkFactory([this]() -> std::unique_ptr<IClassroomLink> {
            return std::make_unique<THubrellControlWindow>(programBus, MainWindowHubrellHooks());
        });
        SetDebugSink([this](const std::string& line) { debugLines.push_back(line); });
        SetContentAsker(nullptr);
        TForm_Main::LanguageFromSystem = [] { return 2; };
    }
    void TearDown() override {
        SetClassroomLinkFactory(nullptr);
        SetDebugSink(nullptr);
        SetContentAsker(nullptr);
        peer.reset();
    }
    std::string PendingFile() const { return data.Path() + "/Zandrel/Tavolin/Classroom pending.json"; }
    static THubrellControlWindow* LinkOf(TForm_Main& main) {
        return dynamic_cast<THubrellControlWindow*>(main.Link.get());
    }
    // The calls the manager saw from position `from` on.
    Calls CallsFrom(size_t from) const {
        Calls all = peer->Calls();
        return Calls(all.begin() + std::min(from, all.size()), all.end());
    }
    void MakeRemoteFolder(const std::string& config = "[Defaults]\r\nNetDebug=1\r\nDebug=1\r\n") {
        MakeProgramFolder(program.Path(), {.config = config});
        peer->ContentRoot = QString::fromStdString(program.Path());
    }
};

// Notes that a window received its close event.
struct CloseWatch : QObject {
    explicit CloseWatch(QWidget& w) { w.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Close) Seen = true;
        return false;
    }
    bool Seen = false;
};

TEST_F(HubrellLink, NoManagerOrARefusalGivesAReasonAndCallsNothingMore) {
    peer->Leave();
    THubrellControlWindow link(programBus, {});
    MessageCapture box;
    EXPECT_FALSE(link.Connect());
    EXPECT_EQ(box.Last(), "Couldn't connect: no classroom manager is running on this desktop");
    EXPECT_THROW(link.SendScore(1, 1), EProgramError);
    std::string thrown;
    try {
        link.HideHubrell();
    } catch (const EProgramError& e) {
        thrown = e.what();
    }
    EXPECT_EQ(thrown, "Not connected to Hubrell");

    peer->Join();
    // Never connected, with a manager there to hear it: nothing is called.
    link.Disconnect(false);
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(peer->Calls(), Calls{});
    peer->RefuseWith = QStringLiteral("this computer is not in the classroom");
    EXPECT_FALSE(link.Connect());
    EXPECT_EQ(box.Last(), "Couldn't connect: the classroom manager refused this program: this computer is not in "
                          "the classroom");
    link.Disconnect(false); // refused: still not connected
    EXPECT_EQ(peer->Calls(), (Calls{"Connect"}));
}

TEST_F(HubrellLink, RemoteStartUpSignsInTheLearnerAndLogsTheNetDebugLines) {
    MakeRemoteFolder();
    peer->ContentRoot = QStringLiteral("%s");
    peer->Store("Student Ann", "Scores", "70,60");
    int asked = 0;
    SetContentAsker([&] { ++asked; return program.Path(); });
    TForm_Main main({"remote=1"}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(asked, 1) << "\"%s\" leads to the disc search";
    EXPECT_EQ(main.StudentName, "Ann");
    EXPECT_EQ(main.Scores[1], 70);
    EXPECT_EQ(main.Scores[2], 60);
    EXPECT_EQ(peer->Calls(), (Calls{"Connect", "GetStudentInfo", "Get [Defaults] Language",
                                    "Write [Defaults] Language=2", "Get [Student Ann] Percents",
                                    "Get [Student Ann] Scores"}));
    // The lines written before the configuration was read come out in order once it is.
    EXPECT_EQ(debugLines, (Calls{"Connect", "GetStudentInfo", "GetRemoreProfileString [Defaults], Language, 2",
                                 "WriteRemoteProfileString [Defaults], Language, 2",
                                 "GetRemoreProfileString [Student Ann], Percents, ",
                                 "GetRemoreProfileString [Student Ann], Scores, "}));

    // Profile writes reach the manager; an empty key and value removes the section.
    main.WriteProfileString("Student Ann", "Percents", "1,2,3,4");
    EXPECT_EQ(peer->Stored("Student Ann", "Percents"), "1,2,3,4");
    EXPECT_EQ(debugLines.back(), "WriteRemoteProfileString [Student Ann], Percents, 1,2,3,4");
    main.WriteProfileString("Student Ann", "", "");
    EXPECT_EQ(peer->Stored("Student Ann", "Scores"), "<none>");
    EXPECT_EQ(main.ReadProfileString("Student Ann", "Scores", "gone"), "gone");
}

TEST_F(HubrellLink, WithoutNetDebugNoLinkLineIsWritten) {
    MakeRemoteFolder("[Defaults]\r\nDebug=1\r\n");
    TForm_Main main({"remote=1"}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_TRUE(debugLines.empty());
}

TEST_F(HubrellLink, AMenuRoundTripAndClosingReportInOrderWithTheTimeoutFlag) {
    for (bool byTimeout : {false, true}) {
        SCOPED_TRACE(byTimeout);
        MakeRemoteFolder();
        TForm_Main main({"remote=1"}, program.Path());
        ASSERT_TRUE(main.StartUp());
        const size_t start = peer->Calls().size();
        main.ReportActivity(5);
        main.LastScore = 80;
        main.ReportActivity(0);
        main.ClosedByTimeout = byTimeout;
        main.close();
        const std::string score = "Score " + std::to_string(main.TotalScore()) + " " +
                                  std::to_string(AwardLevel(main.TotalScore()));
        EXPECT_EQ(CallsFrom(start), (Calls{"Start 5", "End 5 80", score, "Connected", score,
                                           byTimeout ? "Disconnect 1" : "Disconnect 0"}));
        EXPECT_FALSE(LinkOf(main)->Connected);
    }
}

TEST_F(HubrellLink, AShutDownRequestDuringAnActivityClosesWithoutSendingAScore) {
    MakeRemoteFolder();
    TForm_Main main({"remote=1"}, program.Path());
    ASSERT_TRUE(main.StartUp());
    CloseWatch closed(main);
    main.ReportActivity(5);
    const size_t before = peer->Calls().size();
    // Sent by the manager's own connection and answered only when the
    // program's event loop runs.
    QDBusMessage request = QDBusMessage::createMethodCall(
        peer->LastProgram(), QLatin1String(classroombus::kProgramPath),
        QLatin1String(classroombus::kProgramInterface), QStringLiteral("ShutDown"));
    QDBusPendingCall pending = peer->Bus().asyncCall(request);
    ASSERT_TRUE(WaitUntil([&] { return closed.Seen; }));
    pending.waitForFinished();
    EXPECT_FALSE(pending.isError()) << pending.error().message().toStdString();
    EXPECT_EQ(CallsFrom(before), Calls{});
    // Closing asks the link, which no longer calls the manager.
    ASSERT_GE(debugLines.size(), 3u);
    EXPECT_EQ(Calls(debugLines.end() - 3, debugLines.end()), (Calls{"Had ShutDown", "Drop", "Connected"}));
}

TEST_F(HubrellLink, AShutDownRequestFromAnyoneButTheManagerIsRefused) {
    MakeRemoteFolder();
    TForm_Main main({"remote=1"}, program.Path());
    ASSERT_TRUE(main.StartUp());
    CloseWatch closed(main);
    // Another program of the desktop session, not the owner of the manager's name.
    QDBusConnection other = ConnectToPrivateBus(QStringLiteral("another program"));
    QDBusMessage request = QDBusMessage::createMethodCall(
        peer->LastProgram(), QLatin1String(classroombus::kProgramPath),
        QLatin1String(classroombus::kProgramInterface), QStringLiteral("ShutDown"));
    QDBusPendingCall forged = other.asyncCall(request);
    ASSERT_TRUE(WaitUntil([&] { return forged.isFinished(); }));
    EXPECT_TRUE(forged.isError());
    EXPECT_EQ(forged.error().type(), QDBusError::AccessDenied);
    Pump(100);
    EXPECT_FALSE(closed.Seen);
    EXPECT_TRUE(LinkOf(main)->Connected);
    main.ReportActivity(5);
    EXPECT_EQ(peer->Calls().back(), "Start 5") << "the session goes on";
    QDBusConnection::disconnectFromBus(QStringLiteral("another program"));
}

TEST_F(HubrellLink, AShutDownRequestDuringTheStartUpDiscBoxClosesTheBoxAndTheProgram) {
    MakeRemoteFolder();
    peer->ContentRoot = QStringLiteral("%s");
    SetVolumeLister([] { return std::vector<std::string>{}; }); // no disc: the box stays up
    SetContentDialog(AskForContentWithDialog);
    bool boxWasUp = false;
    QDBusPendingCall pending = QDBusPendingCall::fromCompletedCall(QDBusMessage());
    QTimer::singleShot(300, [&] {
        boxWasUp = qobject_cast<TForm_InsertDVD*>(QApplication::activeModalWidget()) != nullptr;
        QDBusMessage request = QDBusMessage::createMethodCall(
            peer->LastProgram(), QLatin1String(classroombus::kProgramPath),
            QLatin1String(classroombus::kProgramInterface), QStringLiteral("ShutDown"));
        pending = peer->Bus().asyncCall(request);
    });
    // Should the box stay up, the test ends it instead of hanging.
    bool stayedUp = false;
    QTimer::singleShot(8000, [&] {
        if (auto* box = qobject_cast<TForm_InsertDVD*>(QApplication::activeModalWidget())) {
            stayedUp = true;
            box->reject();
        }
    });
    TForm_Main main({"remote=1"}, program.Path());
    CloseWatch closed(main);
    EXPECT_FALSE(main.StartUp());
    EXPECT_FALSE(stayedUp) << "the disc box stayed up after the shut-down request";
    SetVolumeLister(nullptr);
    SetContentDialog(nullptr);
    EXPECT_TRUE(boxWasUp);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return closed.Seen; }));
    pending.waitForFinished();
    EXPECT_FALSE(pending.isError()) << pending.error().message().toStdString();
    EXPECT_EQ(peer->Calls(), (Calls{"Connect", "GetStudentInfo"})) << "nothing sent after the request";
}

TEST_F(HubrellLink, AManagerThatGoesAwayLosesNothingAndGetsItAllWhenBack) {
    MakeRemoteFolder();
    TForm_Main main({"remote=1"}, program.Path());
    ASSERT_TRUE(main.StartUp());
    peer->Leave();

    MessageCapture box;
    main.ReportActivity(5);
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_NE(box.Last().find("no classroom manager is running on this desktop"), std::string::npos);
    EXPECT_TRUE(LinkOf(main)->Offline());
    main.RecordTestScore(1, 90);
    EXPECT_EQ(main.ReadProfileString("Student Ann", "Scores", ""), "90,0,0,0") << "the local copy answers";
    EXPECT_EQ(box.Messages.size(), 1u) << "said once";
    EXPECT_TRUE(QFile::exists(QString::fromStdString(PendingFile())));

    const size_t before = peer->Calls().size();
    peer->Join();
    main.ReportActivity(0);
    EXPECT_FALSE(LinkOf(main)->Offline());
    EXPECT_EQ(peer->Stored("Student Ann", "Scores"), "90,0,0,0");
    const Calls seen = CallsFrom(before);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], "Connect");
    EXPECT_EQ(seen[1], "Start 5");
    EXPECT_EQ(seen[2], "Kept [Student Ann] Scores=90,0,0,0") << "with the time it was made";
    EXPECT_EQ(seen[3], "End 5 90");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PendingFile())));
}

TEST_F(HubrellLink, WhatTheManagerMissedAtCloseIsHandedOverAtTheNextStart) {
    MakeRemoteFolder();
    {
        TForm_Main main({"remote=1"}, program.Path());
        ASSERT_TRUE(main.StartUp());
        peer->Leave();
        MessageCapture box;
        main.RecordTestScore(2, 75);
        main.close();
    }
    ASSERT_TRUE(QFile::exists(QString::fromStdString(PendingFile())));
    EXPECT_EQ(peer->Stored("Student Ann", "Scores"), "<none>");

    peer->Join();
    TForm_Main main({"remote=1"}, program.Path());
    ASSERT_TRUE(main.StartUp());
    EXPECT_EQ(peer->Stored("Student Ann", "Scores"), "0,75,0,0");
    EXPECT_EQ(main.Scores[2], 75);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(PendingFile())));
}

// Kept writes of an earlier run go only into the learner and target they
// were made for, and never over a value written after them.
TEST_F(HubrellLink, KeptWritesGoOnlyIntoTheirOwnLearnerAndTargetAndNeverOverANewerValue) {
    const std::string pending = data.File("kept.json");
    THubrellHooks hooks;
    hooks.PendingFile = [pending] { return pending; };
    const auto run = [&](const char* learner, const char* target) {
        peer->Learner = learner;
        peer->Target = target;
        auto link = std::make_unique<THubrellControlWindow>(programBus, hooks);
        EXPECT_TRUE(link->Connect());
        link->GetStudentInfo();
        return link;
    };
    const auto kept = [&](size_t from) {
        Calls out;
        for (const std::string& c : CallsFrom(from))
            if (c.rfind("Kept", 0) == 0 || c.rfind("Write", 0) == 0) out.push_back(c);
        return out;
    };
    {
        auto french = run("Ann", "French");
        peer->Leave();
        MessageCapture box;
        french->WriteRemoteProfileString("Student Ann", "Scores", "0,75,0,0");
        french->SendScore(75, 0);
        french->Disconnect(false);
        peer->Join();
    }
    ASSERT_TRUE(QFile::exists(QString::fromStdString(pending)));
    size_t from = peer->Calls().size();
    run("Ann", "German")->Disconnect(false);
    run("Bo", "French")->Disconnect(false);
    EXPECT_EQ(kept(from), Calls{}) << "handed into another target or learner";
    EXPECT_EQ(peer->Stored("Student Ann", "Scores"), "<none>");
    ASSERT_TRUE(QFile::exists(QString::fromStdString(pending))) << "kept for Ann's next French session";

    // Meanwhile Ann earned more on another computer.
    peer->Store("Student Ann", "Scores", "90,80,0,0", QDateTime::currentDateTimeUtc());
    from = peer->Calls().size();
    run("Ann", "French")->Disconnect(false);
    EXPECT_EQ(kept(from), Calls{"Kept [Student Ann] Scores=0,75,0,0"});
    EXPECT_EQ(peer->Stored("Student Ann", "Scores"), "90,80,0,0");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pending)));

    // A file from before writes carried learner, target and time: only the
    // learner's own section goes over; the rest stays for its learner.
    WriteFile(pending, R"([{"call": "WriteRemoteProfileString", "args": ["Student Ann", "Percents", "9,9,9,9"]},
                          {"call": "WriteRemoteProfileString", "args": ["Student Bo", "Scores", "1,1,1,1"]},
                          {"call": "WriteRemoteProfileString", "args": ["Defaults", "Language", "5"]},
                          {"call": "SendScore", "args": [1, 0]}])");
    from = peer->Calls().size();
    run("Ann", "French")->Disconnect(false);
    EXPECT_EQ(kept(from), Calls{"Kept [Student Ann] Percents=9,9,9,9"});
    EXPECT_EQ(peer->Stored("Defaults", "Language"), "<none>");
    from = peer->Calls().size();
    run("Bo", "French")->Disconnect(false);
    EXPECT_EQ(kept(from), Calls{"Kept [Student Bo] Scores=1,1,1,1"});
    EXPECT_FALSE(QFile::exists(QString::fromStdString(pending)));
}

} // namespace
