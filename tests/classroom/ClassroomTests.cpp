// The real tavolin-classroom on a private session bus serving the program's
// link: killed and restarted mid-session, hanging, told the program's target,
// and asked by the teacher to shut a learner's program down.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <signal.h>

#include "../TestSupport.h"
#include "../learners/ManagerPeer.h"
#include "ManagerProcess.h"
#include "TempPostgres.h"
#include "classroom/ClassroomStore.h"
#include "learners/ClassroomBus.h"
#include "learners/HubrellControlCOM.h"

using namespace classroom;
using namespace tavtest;

namespace {

class ClassroomManager : public ::testing::Test {
protected:
    TempFolder dir, data;
    QString database = QString::fromStdString(dir.File("classroom.sqlite"));
    QDBusConnection bus = ConnectToPrivateBus(QStringLiteral("program"));
    int closes = 0;

    void SetUp() override { ASSERT_TRUE(bus.isConnected()); }
    bool ManagerOnBus() {
        return bus.interface()->isServiceRegistered(QLatin1String(tav::classroombus::kManagerService)).value();
    }
    bool WaitForManager(bool present) {
        return WaitUntil([&] { return ManagerOnBus() == present; }, 10000);
    }
    tav::THubrellHooks Hooks(const std::string& target = "") {
        tav::THubrellHooks hooks;
        hooks.Target = [target] { return target; };
        hooks.CloseMain = [this] { ++closes; };
        const std::string pending = data.File("pending.json");
        hooks.PendingFile = [pending] { return pending; };
        return hooks;
    }
};

TEST_F(ClassroomManager, ServesTheLinkAndLosesNothingWhenKilledAndRestarted) {
    const QStringList assignment{"--content", "/discs/film", "--target", "French", "--learner", "Bea"};
    auto manager = std::make_unique<ManagerProcess>(database, assignment);
    ASSERT_TRUE(WaitForManager(true));

    tav::THubrellControlWindow link(bus, Hooks());
    ASSERT_TRUE(link.Connect());
    const tav::TStudentInfo info = link.GetStudentInfo();
    EXPECT_EQ(info.ContentRoot, "/discs/film");
    EXPECT_EQ(info.TargetFolderName, "French");
    EXPECT_EQ(info.LearnerName, "Bea");
    link.WriteRemoteProfileString("Student Bea", "Scores", "80,0,0,0");
    EXPECT_EQ(link.GetRemoteProfileString("Student Bea", "Scores", ""), "80,0,0,0");
    link.SendStartActivity(472);
    link.SendEndActivity(472, 80);
    link.SendScore(80, 0);

    manager->Kill();
    ASSERT_TRUE(WaitForManager(false));
    {
        MessageCapture box;
        link.SendStartActivity(482);
        link.WriteRemoteProfileString("Student Bea", "Scores", "80,70,0,0");
        link.SendEndActivity(482, 70);
        EXPECT_EQ(box.Messages.size(), 1u);
        EXPECT_TRUE(link.Offline());
    }

    // The new manager would give a new program to Cy; this one carries on as Bea.
    manager = std::make_unique<ManagerProcess>(
        database, QStringList{"--content", "/discs/film", "--target", "French", "--learner", "Cy"});
    ASSERT_TRUE(WaitForManager(true));
    {
        // Before the program calls again, the new manager already carries its session on.
        TClassroomStore store(database, "peek");
        std::vector<TSessionView> open;
        // The name is on the bus a moment before the sessions are taken over.
        EXPECT_TRUE(WaitUntil([&] {
            open = store.Sessions(StoreTime(60), 0);
            return open.size() == 1 && open[0].Pid == QCoreApplication::applicationPid();
        }));
        ASSERT_EQ(open.size(), 1u);
        EXPECT_EQ(open[0].Learner, "Bea");
        EXPECT_EQ(open[0].Pid, QCoreApplication::applicationPid());
    }
    link.SendScore(150, 0);
    EXPECT_FALSE(link.Offline());
    EXPECT_EQ(link.GetRemoteProfileString("Student Bea", "Scores", ""), "80,70,0,0");
    EXPECT_TRUE(link.IsConnected());
    link.Disconnect(true);
    manager.reset();

    TClassroomStore store(database, "check");
    EXPECT_EQ(store.ReadProfile("French", "Student Bea", "Scores", ""), "80,70,0,0");
    QSqlQuery q(QSqlDatabase::database("check"));
    ASSERT_TRUE(q.exec("SELECT code, score FROM activity ORDER BY id"));
    std::vector<std::pair<int, int>> activities;
    while (q.next()) activities.emplace_back(q.value(0).toInt(), q.value(1).toInt());
    EXPECT_EQ(activities, (std::vector<std::pair<int, int>>{{472, 80}, {482, 70}}));
    ASSERT_TRUE(q.exec("SELECT total, award_level FROM score ORDER BY session_id DESC LIMIT 1"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 150);
    ASSERT_TRUE(q.exec("SELECT closed_by_timeout, learner FROM session WHERE ended IS NOT NULL ORDER BY id DESC LIMIT 1"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
    EXPECT_EQ(q.value(1).toString(), "Bea");
}

// The school's PostgreSQL server going away mid-session: the program keeps
// what the manager could not store and hands it over once the server is back.
TEST_F(ClassroomManager, LosesNothingWhileItsDatabaseServerIsAway) {
    QString reason;
    std::unique_ptr<TempPostgres> server = TempPostgres::Launch(false, reason);
    if (!server) GTEST_SKIP() << "PostgreSQL test skipped: " << reason.toStdString();
    const TDatabaseAddress address = server->NewDatabase();
    const QString url = QStringLiteral("postgresql://tavolin@127.0.0.1:%1/%2").arg(address.Port).arg(address.Name);
    ManagerProcess manager(url, {"--learner", "Hal", "--target", "French"});
    ASSERT_TRUE(WaitForManager(true));
    tav::THubrellControlWindow link(bus, Hooks());
    ASSERT_TRUE(link.Connect());
    link.GetStudentInfo();
    link.WriteRemoteProfileString("Student Hal", "Scores", "40,0,0,0");

    ASSERT_TRUE(server->Stop());
    {
        MessageCapture box;
        link.WriteRemoteProfileString("Student Hal", "Scores", "40,90,0,0");
        link.SendEndActivity(472, 90);
        ASSERT_EQ(box.Messages.size(), 1u);
        EXPECT_NE(box.Last().find("the classroom records are not reachable"), std::string::npos) << box.Last();
        EXPECT_TRUE(link.Offline());
        EXPECT_EQ(link.GetRemoteProfileString("Student Hal", "Scores", ""), "40,90,0,0") << "the local copy answers";
    }
    ASSERT_TRUE(server->Resume());
    link.SendScore(130, 0);
    EXPECT_FALSE(link.Offline());
    link.Disconnect(false);

    TClassroomStore store(address, "check");
    EXPECT_EQ(store.ReadProfile("French", "Student Hal", "Scores", ""), "40,90,0,0");
    const std::vector<TSessionView> closed = store.Sessions(StoreTime(), 1);
    ASSERT_EQ(closed.size(), 1u);
    EXPECT_EQ(closed[0].LastScore, 90);
    EXPECT_EQ(closed[0].Total, 130);
}

TEST_F(ClassroomManager, WithoutATargetTheProgramsOwnTargetFilesTheProfile) {
    ManagerProcess manager(database, {"--learner", "Di"});
    ASSERT_TRUE(WaitForManager(true));
    {
        tav::THubrellControlWindow link(bus, Hooks("Spanish"));
        ASSERT_TRUE(link.Connect());
        EXPECT_EQ(link.GetStudentInfo().TargetFolderName, "");
        link.WriteRemoteProfileString("Student Di", "Scores", "10,0,0,0");
        EXPECT_EQ(link.GetRemoteProfileString("Student Di", "Scores", ""), "10,0,0,0");
        link.Disconnect(false);
    }
    TClassroomStore store(database, "check");
    EXPECT_EQ(store.ReadProfile("Spanish", "Student Di", "Scores", "none"), "10,0,0,0");
    EXPECT_EQ(store.ReadProfile("", "Student Di", "Scores", "none"), "none");
    const std::vector<TSessionView> sessions = store.Sessions(StoreTime(60), 1);
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].Target, "Spanish");
}

// Not a speed check: a hanging manager must cost the program one call
// timeout, not one per call, and start-up must fail with the reason.
TEST_F(ClassroomManager, AManagerThatHangsHoldsTheProgramForOneTimeoutOnly) {
    ManagerProcess manager(database, {"--learner", "Eve"});
    ASSERT_TRUE(WaitForManager(true));
    tav::THubrellControlWindow link(bus, Hooks());
    ASSERT_TRUE(link.Connect());
    link.GetStudentInfo();
    const qint64 pid = manager.process.processId();
    ASSERT_EQ(::kill(pid, SIGSTOP), 0);
    struct Resume {
        qint64 pid;
        ~Resume() { ::kill(pid, SIGCONT); }
    } resume{pid};

    MessageCapture box;
    QElapsedTimer clock;
    clock.start();
    link.SendStartActivity(472);
    const qint64 first = clock.restart();
    EXPECT_TRUE(link.Offline());
    ASSERT_EQ(box.Messages.size(), 1u);
    EXPECT_NE(box.Last().find("did not answer within 5 seconds"), std::string::npos) << box.Last();
    link.WriteRemoteProfileString("Student Eve", "Scores", "60,0,0,0");
    link.SendEndActivity(472, 60);
    link.SendScore(60, 0);
    EXPECT_TRUE(link.IsConnected()) << "the session goes on";
    const qint64 rest = clock.elapsed();
    EXPECT_GE(first, tav::classroombus::kCallTimeoutMs - 500);
    EXPECT_LT(rest, tav::classroombus::kCallTimeoutMs) << "each call waited for the hanging manager again";
    EXPECT_EQ(box.Messages.size(), 1u);

    QDBusConnection other = ConnectToPrivateBus(QStringLiteral("second program"));
    {
        tav::THubrellControlWindow starting(other, {});
        EXPECT_FALSE(starting.Connect());
    }
    EXPECT_EQ(box.Last(), "Couldn't connect: the classroom manager did not answer within 5 seconds");
    QDBusConnection::disconnectFromBus(QStringLiteral("second program"));
}


TEST_F(ClassroomManager, TheTeacherShutsALearnersProgramDown) {
    ManagerProcess manager(database, {"--learner", "Cy"});
    ASSERT_TRUE(WaitForManager(true));
    tav::THubrellControlWindow link(bus, Hooks());
    ASSERT_TRUE(link.Connect());
    EXPECT_EQ(link.GetStudentInfo().LearnerName, "Cy");
    // The command waits for the manager, which calls the program: the
    // program's object answers from this event loop.
    QProcess command;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", PrivateBusAddress());
    command.setProcessEnvironment(env);
    command.start(TAVOLIN_CLASSROOM, {"shut-down", "Cy"});
    ASSERT_TRUE(WaitUntil([&] { return closes == 1; }, 10000));
    EXPECT_FALSE(link.Connected);
    ASSERT_TRUE(WaitUntil([&] { return command.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(command.exitCode(), 0);
    EXPECT_EQ(command.readAllStandardOutput().trimmed(), "1");
}

TEST_F(ClassroomManager, ASecondManagerOnTheSameDesktopRefusesToStart) {
    ManagerProcess first(database);
    ASSERT_TRUE(WaitForManager(true));
    ManagerProcess second(QString::fromStdString(dir.File("other.sqlite")));
    ASSERT_TRUE(second.process.waitForFinished(10000));
    EXPECT_EQ(second.process.exitCode(), 1);
}

} // namespace
