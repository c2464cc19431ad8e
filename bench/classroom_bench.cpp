// The classroom link and records: the round trip of a call from a program to
// the real tavolin-classroom over a private D-Bus session bus (median of N),
// against a round trip to the bus daemon itself; and profile writes per
// second (one transaction each, as the manager writes) on SQLite and on a
// throwaway PostgreSQL server with fsync on, each against the other.
//   classroom_bench [N]
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "ManagerPeer.h"
#include "TempPostgres.h"
#include "classroom/ClassroomStore.h"
#include "learners/ClassroomBus.h"

using namespace tav::classroombus;

namespace {

double MedianMicros(int n, const std::function<bool()>& call) {
    std::vector<double> times;
    times.reserve(size_t(n));
    QElapsedTimer clock;
    for (int i = 0; i < n; ++i) {
        clock.start();
        if (!call()) return -1;
        times.push_back(double(clock.nsecsElapsed()) / 1000.0);
    }
    std::nth_element(times.begin(), times.begin() + n / 2, times.end());
    return times[size_t(n / 2)];
}

QDBusMessage ManagerCall(const char* method, const QVariantList& args = {}) {
    QDBusMessage m = QDBusMessage::createMethodCall(kManagerService, kManagerPath, kManagerInterface, method);
    m.setArguments(args);
    return m;
}

double WritesPerSecond(classroom::TClassroomStore& store, int n) {
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < n; ++i)
        store.WriteProfile("French", "Student Bench", "Scores", QString::number(i) + ",0,0,0");
    return n / (double(clock.nsecsElapsed()) / 1e9);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int n = argc > 1 ? std::max(10, atoi(argv[1])) : 2000;
    QTemporaryDir dir;

    // The link: a program's calls to the real manager.
    QProcess manager;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DBUS_SESSION_BUS_ADDRESS", tavtest::PrivateBusAddress());
    manager.setProcessEnvironment(env);
    // The manager writes a line per call; nobody reads them here.
    manager.setStandardOutputFile(QProcess::nullDevice());
    manager.start(TAVOLIN_CLASSROOM, {"--database", dir.filePath("bench.sqlite"), "--no-page", "--learner", "Bench"});
    QDBusConnection bus = tavtest::ConnectToPrivateBus("bench");
    for (int i = 0; i < 100 && !bus.interface()->isServiceRegistered(kManagerService).value(); ++i) QThread::msleep(50);
    if (bus.call(ManagerCall("Connect"), QDBus::Block, kCallTimeoutMs).type() == QDBusMessage::ErrorMessage) {
        std::fprintf(stderr, "classroom_bench: the manager did not answer\n");
        return 1;
    }
    auto ok = [](const QDBusMessage& m) { return m.type() != QDBusMessage::ErrorMessage; };
    const double ping = MedianMicros(n, [&] {
        return ok(bus.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                          "org.freedesktop.DBus.Peer", "Ping"),
                           QDBus::Block, kCallTimeoutMs));
    });
    const double connected = MedianMicros(n, [&] { return ok(bus.call(ManagerCall("Connected"), QDBus::Block, kCallTimeoutMs)); });
    const double read = MedianMicros(n, [&] {
        return ok(bus.call(ManagerCall("GetRemoteProfileString", {"Student Bench", "Scores", ""}), QDBus::Block,
                           kCallTimeoutMs));
    });
    const int writes = std::max(10, n / 10);
    const double write = MedianMicros(writes, [&] {
        return ok(bus.call(ManagerCall("WriteRemoteProfileString", {"Student Bench", "Scores", "1,2,3,4"}),
                           QDBus::Block, kCallTimeoutMs));
    });
    bus.call(ManagerCall("Disconnect", {QVariant::fromValue<uchar>(0)}), QDBus::Block, kCallTimeoutMs);
    manager.terminate();
    manager.waitForFinished(5000);

    std::printf("D-Bus round trips (median of %d):\n", n);
    std::printf("  bus daemon Ping (peer)          %8.1f us\n", ping);
    std::printf("  manager Connected               %8.1f us   ratio %.2f\n", connected, connected / ping);
    std::printf("  manager GetRemoteProfileString  %8.1f us   ratio %.2f\n", read, read / ping);
    std::printf("  manager WriteRemoteProfileString %7.1f us   ratio %.2f  (median of %d, SQLite synchronous=FULL)\n",
                write, write / ping, writes);

    // The records: one transaction per write.
    double sqlite = 0, postgres = 0;
    {
        classroom::TClassroomStore store(dir.filePath("writes.sqlite"), "bench-sqlite");
        sqlite = WritesPerSecond(store, writes);
    }
    std::printf("Profile writes per second (%d writes, one transaction each):\n", writes);
    std::printf("  SQLite (synchronous=FULL)       %8.0f /s\n", sqlite);
    QString reason;
    if (auto cluster = tavtest::TempPostgres::Launch(true, reason)) {
        {
            classroom::TClassroomStore store(cluster->NewDatabase(), "bench-pg");
            postgres = WritesPerSecond(store, writes);
        }
        std::printf("  PostgreSQL (fsync=on, TCP)      %8.0f /s   ratio to SQLite %.2f\n", postgres, postgres / sqlite);
    } else {
        std::printf("  PostgreSQL: not measured (%s)\n", qPrintable(reason));
    }
    return 0;
}
