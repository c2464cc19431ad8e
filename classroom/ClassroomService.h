#pragma once
// The classroom manager's D-Bus service: it owns the manager's well-known
// name, answers the programs of this desktop session, tells each program the
// learner, content and target assigned to it, and stores what they report.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QMap>
#include <QObject>
#include <QString>

#include "classroom/ClassroomStore.h"

namespace classroom {

struct TAssignment {
    QString ContentRoot, Target, Learner;
};

class TClassroomService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.tavolin.Classroom1")
public:
    // `fallback` is given to programs nobody assigned anything to.
    TClassroomService(TClassroomStore& store, QDBusConnection bus, TAssignment fallback,
                      QString programPath = QString());
    // Registers the object and takes the well-known name; false when another
    // manager already has it.
    bool Start();
    // The learner and content for the program with this process id.
    void Assign(qint64 pid, const TAssignment& assignment);

public slots:
    // The programs' operations.
    void Connect();
    void Disconnect(uchar flag);
    int Connected();
    void HideHubrell();
    QString GetStudentInfo(int& number, QString& target, QString& learner);
    QString GetRemoteProfileString(const QString& section, const QString& key, const QString& def);
    void WriteRemoteProfileString(const QString& section, const QString& key, const QString& value);
    void SendStartActivity(int code);
    void SendEndActivity(int code, int score);
    void SendScore(int total, int level);
    // The teacher's operations: start a program in remote mode for a learner,
    // and ask every program of a learner to shut down (returns how many).
    qint64 StartLearner(const QString& learner, const QString& target);
    int ShutDownLearner(const QString& learner);

private:
    struct TProgram {
        qint64 Session = 0, Pid = 0;
        TAssignment Assignment;
    };
    // The calling program, signed in when the manager has not seen it yet
    // (a manager restarted mid-session).
    TProgram& Caller(const char* call, const QString& detail = QString());
    void Forget(const QString& busName);
    // Runs a store operation; a failure becomes the call's error reply.
    template <class F>
    void Stored(F&& fn);

    TClassroomStore& store_;
    QDBusConnection bus_;
    TAssignment fallback_;
    QString programPath_;
    QMap<qint64, TAssignment> assigned_;
    QMap<QString, TProgram> programs_;
    QDBusServiceWatcher watcher_;
};

} // namespace classroom
