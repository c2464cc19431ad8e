// The classroom manager: its records in SQLite, and the real tavolin-classroom
// on a private session bus serving the program's link, killed and restarted
// mid-session, and asked by the teacher to shut a learner's program down.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QDBusConnectionInterface>

#include "../TestSupport.h"
#include "../learners/ManagerPeer.h"
#include "classroom/ClassroomStore.h"
#include "learners/ClassroomBus.h"
#include "learners/HubrellControlCOM.h"

using namespace classroom;
using namespace tavtest;

namespace {

TEST(ClassroomStore, KeepsProfilesPerTargetAcrossReopeningAndRemovesASection) {
    TempFolder dir;
    const QString file = QString::fromStdString(dir.File("c.sqlite"));
    {
        TClassroomStore store(file);
        EXPECT_EQ(store.SchemaVersion(), 1);
        store.WriteProfile("French", "Student Ann", "Scores", "1,2,3,4");
        store.WriteProfile("French", "Student Ann", "Scores", "5,6,7,8");
        store.WriteProfile("French", "Student Ann", "Percents", "9");
        store.WriteProfile("German", "Student Ann", "Scores", "kept");
    }
    TClassroomStore store(file);
    EXPECT_EQ(store.SchemaVersion(), 1);
    EXPECT_EQ(store.ReadProfile("French", "Student Ann", "Scores", "none"), "5,6,7,8");
    store.WriteProfile("French", "Student Ann", "", "");
    EXPECT_EQ(store.ReadProfile("French", "Student Ann", "Scores", "none"), "none");
    EXPECT_EQ(store.ReadProfile("French", "Student Ann", "Percents", "none"), "none");
    EXPECT_EQ(store.ReadProfile("German", "Student Ann", "Scores", "none"), "kept");
}

TEST(ClassroomStore, RecordsActivitiesScoresAndRefusesANewerSchema) {
    TempFolder dir;
    const QString file = QString::fromStdString(dir.File("c.sqlite"));
    {
        TClassroomStore store(file);
        const qint64 s = store.StartSession("Ann", "French", "pc1", 42);
        store.StartActivity(s, 5);
        store.EndActivity(s, 5, 80);
        store.EndActivity(s, 7, 60); // its start was never reported
        store.SetScore(s, 100, 1);
        store.SetScore(s, 140, 2);
        const TSessionSummary sum = store.Summary(s);
        EXPECT_EQ(sum.Learner, "Ann");
        EXPECT_EQ(sum.Activities, 2);
        EXPECT_EQ(sum.LastScore, 60);
        EXPECT_EQ(sum.Total, 140);
        EXPECT_EQ(sum.AwardLevel, 2);
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "raw");
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec("UPDATE schema_version SET version = 99");
        db.close();
    }
    QSqlDatabase::removeDatabase("raw");
    EXPECT_THROW(TClassroomStore{file}, std::runtime_error);
}

// The real manager, on the private bus.
class ManagerProcess {
public:
    ManagerProcess(const QString& database, const QStringList& extra = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", PrivateBusAddress());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(TAVOLIN_CLASSROOM, QStringList{"--database", database} + extra);
    }
    ~ManagerProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            process.waitForFinished(3000);
        }
    }
    void Kill() {
        process.kill();
        process.waitForFinished(3000);
    }
    QProcess process;
};

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
    tav::THubrellHooks Hooks() {
        tav::THubrellHooks hooks;
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
    link.SendStartActivity(5);
    link.SendEndActivity(5, 80);
    link.SendScore(80, 0);

    manager->Kill();
    ASSERT_TRUE(WaitForManager(false));
    {
        MessageCapture box;
        link.SendStartActivity(6);
        link.WriteRemoteProfileString("Student Bea", "Scores", "80,70,0,0");
        link.SendEndActivity(6, 70);
        EXPECT_EQ(box.Messages.size(), 1u);
        EXPECT_TRUE(link.Offline());
    }

    manager = std::make_unique<ManagerProcess>(database, assignment);
    ASSERT_TRUE(WaitForManager(true));
    link.SendScore(150, 1);
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
    EXPECT_EQ(activities, (std::vector<std::pair<int, int>>{{5, 80}, {6, 70}}));
    ASSERT_TRUE(q.exec("SELECT total, award_level FROM score ORDER BY session_id DESC LIMIT 1"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 150);
    ASSERT_TRUE(q.exec("SELECT closed_by_timeout FROM session WHERE ended IS NOT NULL ORDER BY id DESC LIMIT 1"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
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
