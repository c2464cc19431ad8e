// One running copy: a second process is refused while the first lives, and a
// first copy that crashed does not block the next start.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

#include "../TestSupport.h"

namespace {

QProcessEnvironment EnvFor(const std::string& runtimeDir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(runtimeDir));
    return env;
}

void StartProbe(QProcess& p, const std::string& runtimeDir) {
    p.setProcessEnvironment(EnvFor(runtimeDir));
    p.start(PROBE_PATH, {"tavolin-test.lock"});
    ASSERT_TRUE(p.waitForStarted(5000));
}

} // namespace

TEST(SingleInstance, SecondProcessIsRefusedWhileTheFirstRuns) {
    tavtest::TempFolder run;
    QProcess first;
    StartProbe(first, run.Path());
    ASSERT_TRUE(first.waitForReadyRead(5000));
    EXPECT_EQ(first.readAll().trimmed(), "locked");

    QProcess second;
    StartProbe(second, run.Path());
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitCode(), 3);
    EXPECT_EQ(second.readAll().trimmed(), "running");

    // The first is untouched and, once it ends, the next start succeeds.
    EXPECT_EQ(first.state(), QProcess::Running);
    first.closeWriteChannel();
    ASSERT_TRUE(first.waitForFinished(5000));
    QProcess third;
    StartProbe(third, run.Path());
    ASSERT_TRUE(third.waitForReadyRead(5000));
    EXPECT_EQ(third.readAll().trimmed(), "locked");
    third.closeWriteChannel();
    third.waitForFinished(5000);
}

TEST(SingleInstance, ACrashedFirstCopyDoesNotBlockTheNext) {
    tavtest::TempFolder run;
    QProcess first;
    StartProbe(first, run.Path());
    ASSERT_TRUE(first.waitForReadyRead(5000));
    first.kill(); // SIGKILL: no chance to remove its lock
    ASSERT_TRUE(first.waitForFinished(5000));

    QProcess next;
    StartProbe(next, run.Path());
    ASSERT_TRUE(next.waitForReadyRead(5000));
    EXPECT_EQ(next.readAll().trimmed(), "locked");
    next.closeWriteChannel();
    next.waitForFinished(5000);
}
