#pragma once
// A throwaway PostgreSQL cluster for tests and benchmarks: initdb and pg_ctl
// from the installed server in a temporary folder on a free port, run as
// `nobody` when this process is root (the server refuses to run as root).
#include <QString>

#include <memory>

#include "classroom/ClassroomStore.h"

namespace tavtest {

class TempPostgres {
public:
    // The one cluster of this process, started on first use; null when no
    // server is installed or it would not start (Reason() says why).
    static TempPostgres* Shared();
    static QString Reason();
    // A cluster of its own; `durable` keeps the server's fsync on (for
    // measuring), the tests' cluster runs without it.
    static std::unique_ptr<TempPostgres> Launch(bool durable, QString& reason);

    // A new empty database on the cluster.
    classroom::TDatabaseAddress NewDatabase();
    int Port() const { return port_; }
    // Runs one statement as the cluster's administrator in `database`.
    bool Admin(const QString& database, const QString& sql, QString& error);
    // Stops the server and starts it again on the same port (a school
    // server going away); false when it would not.
    bool Stop();
    bool Resume();
    ~TempPostgres();

private:
    TempPostgres() = default;
    bool Start(bool durable, QString& reason);
    QString folder_, bin_, options_;
    int port_ = 0, databases_ = 0;
    bool running_ = false;
};

} // namespace tavtest
