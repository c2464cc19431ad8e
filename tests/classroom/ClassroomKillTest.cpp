// The classroom records survive a manager killed at any moment: a child
// process opens the records, starts a session and then, learner after
// learner, writes a profile and records an activity with its score, reporting
// each finished pair on a pipe. It is SIGKILLed a random delay after it
// reported its session (so a slow connection cannot use up the delay), again
// and again, until 1000 learners are written. After every kill the records
// must open, pass SQLite's integrity check, and hold every reported profile
// and activity; at most the write in flight may land beyond them.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>

#include <unistd.h>

#include <cstring>

#include "../TestSupport.h"
#include "TempPostgres.h"
#include "classroom/ClassroomStore.h"

using namespace classroom;

namespace {

constexpr int kLearners = 1000;
const QString kTarget = QStringLiteral("French");

QString LearnerSection(int i) { return QStringLiteral("Student %1").arg(i); }
QString LearnerScores(int i) { return QStringLiteral("%1,%2,%3,%4").arg(i % 100).arg(i % 7).arg(i % 13).arg(i); }

// Learners 0..n-1 as the records hold them; -1 when one is wrong or one past
// the first missing one is present (writes happen in order).
int LearnersPresent(const TClassroomStore& store) {
    int n = 0;
    for (;; ++n) {
        const QString scores = store.ReadProfile(kTarget, LearnerSection(n), "Scores", "");
        if (scores.isEmpty()) break;
        if (scores != LearnerScores(n)) return -1;
    }
    if (!store.ReadProfile(kTarget, LearnerSection(n + 1), "Scores", "").isEmpty()) return -1;
    return n;
}

// The child: a manager writing from learner `first` on. Sends the session's
// number (8 bytes), then one byte per learner whose profile and activity are
// both confirmed. Never returns.
[[noreturn]] void Writer(const TDatabaseAddress& address, int first, int reportFd) {
    try {
        TClassroomStore store(address, QStringLiteral("kill-writer"));
        const qint64 session = store.StartSession("Ann", kTarget, "pc1", ::getpid());
        if (::write(reportFd, &session, sizeof session) != sizeof session) _exit(4);
        for (int i = first; i < kLearners; ++i) {
            store.WriteProfile(kTarget, LearnerSection(i), "Scores", LearnerScores(i));
            store.EndActivity(session, 421 + i % 5, i % 100);
            const char done = 1;
            if (::write(reportFd, &done, 1) != 1) _exit(4);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "writer: %s\n", e.what());
        _exit(3);
    }
    _exit(0);
}

bool SQLiteIntact(const QString& file, QString& verdict) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "kill-check");
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec("PRAGMA integrity_check") && q.next()) verdict = q.value(0).toString();
            ok = verdict == "ok";
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("kill-check");
    return ok;
}

class RecordsKill : public ::testing::TestWithParam<const char*> {
protected:
    tavtest::TempFolder dir;
    TDatabaseAddress address;
    bool sqlite = true;
    void SetUp() override {
        sqlite = std::string(GetParam()) == "SQLite";
        if (sqlite) {
            address = ParseDatabase(QString::fromStdString(dir.File("classroom.sqlite")));
            return;
        }
        tavtest::TempPostgres* cluster = tavtest::TempPostgres::Shared();
        if (!cluster) GTEST_SKIP() << "PostgreSQL tests skipped: " << tavtest::TempPostgres::Reason().toStdString();
        address = cluster->NewDatabase();
    }
};

} // namespace

TEST_P(RecordsKill, EveryConfirmedWriteSurvivesRandomKills) {
    { TClassroomStore made(address, "kill-setup"); } // the schema exists before the first kill
    tavtest::TKillDelay delay(20261210);
    int present = 0, kills = 0, rounds = 0;
    while (present < kLearners) {
        ASSERT_LT(++rounds, 5000) << "the writer makes no progress";
        const int delayUs = delay.NextUs();
        const tavtest::TKillRound round = tavtest::RunAndKill(
            [&](int reportFd) { Writer(address, present, reportFd); }, delayUs, /*fromFirstReport=*/true);
        kills += round.Killed;
        ASSERT_EQ(round.ExitStatus, 0) << "the writer failed";
        const std::string& report = round.Report;

        if (sqlite) {
            QString verdict;
            ASSERT_TRUE(SQLiteIntact(address.Name, verdict)) << "after kill " << kills << ": " << verdict.toStdString();
        }
        TClassroomStore store(address, "kill-check-store");
        const int now = LearnersPresent(store);
        ASSERT_GE(now, 0) << "the profiles are out of order after kill " << kills;
        if (report.size() >= sizeof(qint64)) {
            qint64 session = 0;
            std::memcpy(&session, report.data(), sizeof session);
            const int reported = int(report.size() - sizeof session);
            delay.Observed(delayUs, reported);
            ASSERT_GE(now, present + reported) << "a confirmed profile was lost after kill " << kills;
            ASSERT_LE(now, present + reported + 1);
            const int activities = store.Summary(session).Activities;
            ASSERT_GE(activities, reported) << "a confirmed activity was lost after kill " << kills;
            ASSERT_LE(activities, reported + 1);
        } else {
            ASSERT_EQ(now, present) << "a profile appeared before its session";
        }
        present = now;
    }
    std::printf("classroom records (%s): %d learners, %d kills survived in %d rounds\n", GetParam(), present, kills,
                rounds);
    EXPECT_GT(kills, 30) << "most rounds must cut the writer off, or the test proves nothing";
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordsKill, ::testing::Values("SQLite", "PostgreSQL"),
                         [](const auto& info) { return std::string(info.param); });
