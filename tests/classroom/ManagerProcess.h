#pragma once
// The real tavolin-classroom on the tests' private session bus, its teacher's
// page on a free port of 127.0.0.1.
#include <QProcess>
#include <QString>
#include <QStringList>

#include "../learners/ManagerPeer.h"

namespace tavtest {

class ManagerProcess {
public:
    // On the tests' private bus unless given another bus address.
    explicit ManagerProcess(const QString& database, const QStringList& extra = {}, const QString& bus = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", bus.isEmpty() ? PrivateBusAddress() : bus);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args{"--database", database};
        if (!extra.contains("--listen") && !extra.contains("--no-page")) args << "--listen" << "127.0.0.1:0";
        process.start(TAVOLIN_CLASSROOM, args + extra);
    }
    ~ManagerProcess() {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) Kill();
        }
    }
    void Kill() {
        process.kill();
        process.waitForFinished(3000);
    }
    // The page's address from the manager's first lines; empty when it has none.
    QString PageAddress() {
        const QByteArray mark = "teacher's page at ";
        while (page_.isEmpty()) {
            if (!process.canReadLine() && !process.waitForReadyRead(10000)) break;
            while (process.canReadLine()) {
                const QByteArray line = process.readLine();
                output_ += line;
                const qsizetype at = line.indexOf(mark);
                if (at >= 0) page_ = QString::fromUtf8(line.mid(at + mark.size())).trimmed();
            }
        }
        return page_;
    }
    // Everything the manager printed so far.
    QByteArray Output() {
        output_ += process.readAllStandardOutput();
        return output_;
    }
    QProcess process;

private:
    QString page_;
    QByteArray output_;
};

} // namespace tavtest
