#include "TempPostgres.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace tavtest {

namespace {

std::unique_ptr<TempPostgres> g_cluster;
QString g_reason;
bool g_tried = false;

QString ServerBin() {
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : versions) {
        const QString bin = "/usr/lib/postgresql/" + v + "/bin";
        if (QFile::exists(bin + "/initdb") && QFile::exists(bin + "/pg_ctl")) return bin;
    }
    return {};
}

// Runs a server tool, as `nobody` when we are root; returns its output on failure.
bool Run(const QString& folder, const QString& tool, const QStringList& args, QString& output) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (geteuid() == 0) p.start(QStringLiteral("runuser"), QStringList{"-u", "nobody", "--", tool} + args);
    else p.start(tool, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(2000);
        output = tool + " did not finish";
        return false;
    }
    output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

int FreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

} // namespace

TempPostgres* TempPostgres::Shared() {
    if (!g_tried) {
        g_tried = true;
        g_cluster = Launch(false, g_reason);
        if (g_cluster) std::atexit([] { g_cluster.reset(); });
    }
    return g_cluster.get();
}

QString TempPostgres::Reason() { return g_reason; }

std::unique_ptr<TempPostgres> TempPostgres::Launch(bool durable, QString& reason) {
    std::unique_ptr<TempPostgres> cluster(new TempPostgres);
    if (!cluster->Start(durable, reason)) return nullptr;
    return cluster;
}

bool TempPostgres::Start(bool durable, QString& reason) {
    bin_ = ServerBin();
    if (bin_.isEmpty()) {
        reason = QStringLiteral("no PostgreSQL server installed (/usr/lib/postgresql/*/bin/initdb)");
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        reason = QStringLiteral("the Qt PostgreSQL driver is not installed (libqt6sql6-psql)");
        return false;
    }
    QTemporaryDir dir(QDir::tempPath() + "/tavolin-pg-XXXXXX");
    dir.setAutoRemove(false);
    folder_ = dir.path();
    if (geteuid() == 0 && ::chown(folder_.toLocal8Bit().constData(), 65534, 65534) != 0) {
        reason = "couldn't give " + folder_ + " to nobody";
        return false;
    }
    QString out;
    if (!Run(folder_, bin_ + "/initdb",
             {"-D", folder_ + "/data", "-A", "trust", "-U", "tavolin", "-E", "UTF8", "--locale=C", "--no-sync"}, out)) {
        reason = "initdb failed: " + out;
        return false;
    }
    // The cluster's own user needs no password; every other login (the
    // teacher's and the computers' roles of the tests) does, as on a school's server.
    {
        QFile hba(folder_ + "/data/pg_hba.conf");
        if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            hba.write("local all all trust\n"
                      "host all tavolin 127.0.0.1/32 trust\n"
                      "host all all 127.0.0.1/32 scram-sha-256\n"
                      "host all tavolin ::1/128 trust\n"
                      "host all all ::1/128 scram-sha-256\n") < 0) {
            reason = "couldn't write " + hba.fileName();
            return false;
        }
    }
    port_ = FreePort();
    options_ = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=%3")
                                .arg(port_)
                                .arg(folder_)
                                .arg(durable ? "on" : "off");
    if (!Run(folder_, bin_ + "/pg_ctl", {"-D", folder_ + "/data", "-l", folder_ + "/server.log", "-o", options_, "-w", "-t", "30", "start"},
             out)) {
        reason = "the PostgreSQL server did not start: " + out;
        return false;
    }
    running_ = true;
    return true;
}

bool TempPostgres::Stop() {
    QString out;
    running_ = !Run(folder_, bin_ + "/pg_ctl", {"-D", folder_ + "/data", "-m", "fast", "-w", "stop"}, out);
    return !running_;
}

bool TempPostgres::Resume() {
    QString out;
    running_ = Run(folder_, bin_ + "/pg_ctl",
                   {"-D", folder_ + "/data", "-l", folder_ + "/server.log", "-o", options_, "-w", "-t", "30", "start"}, out);
    return running_;
}

TempPostgres::~TempPostgres() {
    if (running_) {
        QString out;
        Run(folder_, bin_ + "/pg_ctl", {"-D", folder_ + "/data", "-m", "immediate", "-w", "stop"}, out);
    }
    if (!folder_.isEmpty()) QDir(folder_).removeRecursively();
}

bool TempPostgres::Admin(const QString& database, const QString& sql, QString& error) {
    bool ok = false;
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pg-admin"));
        admin.setHostName(QStringLiteral("127.0.0.1"));
        admin.setPort(port_);
        admin.setUserName(QStringLiteral("tavolin"));
        admin.setDatabaseName(database);
        if (!admin.open()) error = admin.lastError().text();
        else {
            QSqlQuery q(admin);
            ok = q.exec(sql);
            if (!ok) error = q.lastError().text();
        }
        admin.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pg-admin"));
    return ok;
}

classroom::TDatabaseAddress TempPostgres::NewDatabase() {
    const QString name = QStringLiteral("tavolin_%1_%2").arg(getpid()).arg(++databases_);
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pg-admin"));
        admin.setHostName(QStringLiteral("127.0.0.1"));
        admin.setPort(port_);
        admin.setUserName(QStringLiteral("tavolin"));
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (admin.open()) QSqlQuery(admin).exec("CREATE DATABASE " + name);
        admin.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("pg-admin"));
    return classroom::ParseDatabase(QStringLiteral("postgresql://tavolin@127.0.0.1:%1/%2").arg(port_).arg(name));
}

} // namespace tavtest
