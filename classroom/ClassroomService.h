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
#include <QTimer>

#include <vector>

#include "classroom/ClassroomStore.h"

namespace classroom {

// How often the manager tells the records it is alive, and how long a
// session stays on the teacher's page without a sign of life.
inline constexpr int kHeartbeatMs = 5000;
inline constexpr int kLiveSeconds = 30;

class TClassroomService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.tavolin.Classroom1")
public:
    // `fallback` is given to programs nobody assigned anything to;
    // `computer` names this desktop in the records.
    TClassroomService(TClassroomStore& store, QDBusConnection bus, TAssignment fallback,
                      QString programPath = QString(), QString computer = QString());
    // Registers the object, takes the well-known name and this computer's
    // name in the records; false (StartError() says why) when another manager
    // has either.
    bool Start();
    QString StartError() const { return startError_; }
    // The learner and content for the program with this process id.
    void Assign(qint64 pid, const TAssignment& assignment);
    QString Computer() const { return computer_; }
    // Where the teacher's page is, kept beside this computer's name in the records.
    void SetPageAddress(const QString& address) { page_ = address; }
    // The teacher asks one session's program to shut down: at once when it
    // runs on this desktop, else through the records for its own manager.
    // False when the session is not open.
    bool ShutDownSession(qint64 session);

public slots:
    // The programs' operations.
    void Connect();
    void Disconnect(uchar flag);
    int Connected();
    void HideHubrell();
    QString GetStudentInfo(int& number, QString& target, QString& learner);
    QString GetRemoteProfileString(const QString& section, const QString& key, const QString& def);
    void WriteRemoteProfileString(const QString& section, const QString& key, const QString& value);
    // A write the program kept while the manager was away, with the time
    // (ISO 8601) it was made: it never replaces a value written later. False
    // when a later value was kept.
    bool WriteKeptProfileString(const QString& section, const QString& key, const QString& value,
                                const QString& writtenAt);
    void SendStartActivity(int code);
    void SendEndActivity(int code, int score);
    void SendScore(int total, int level);
    // The program names the target it loaded when the manager named none.
    void TellTarget(const QString& target);
    // The teacher's operations: start a program in remote mode for a learner,
    // and ask every program of a learner to shut down (returns how many).
    qint64 StartLearner(const QString& learner, const QString& target);
    int ShutDownLearner(const QString& learner);

private:
    struct TProgram {
        qint64 Session = 0, Pid = 0;
        TAssignment Assignment;
        bool Decided = false; // the learner was given out by GetStudentInfo
    };
    // The calling program's session, bound to its unique bus name by
    // Connect (or taken over from the last manager). A caller without one is
    // refused: no call acts on another program's session.
    TProgram& Caller(const char* call, const QString& detail = QString());
    // Connect: the session for the calling bus name, made when it has none.
    TProgram& SignIn();
    // What a program may touch: its own learner's section, and the shared
    // defaults it needs. Refuses the call otherwise.
    void CheckSection(const TProgram& p, const QString& section, const QString& key) const;
    void Forget(const QString& busName);
    // At start: takes over the open sessions of programs still running here.
    void TakeOverSessions();
    void SendShutDown(const QString& busName);
    // Every few seconds: tell the records this manager and its sessions are
    // alive, and pass on shut-down requests made on another computer's page.
    void Heartbeat();
    void TakeRequests();
    // Runs a store operation; a failure becomes the call's error reply.
    template <class F>
    void Stored(F&& fn);

    TClassroomStore& store_;
    QDBusConnection bus_;
    TAssignment fallback_;
    QString programPath_, computer_, page_, startError_;
    bool computerGiven_ = false;
    // Tells this desktop's manager apart from others given the same computer name.
    QString instance_;
    QMap<qint64, TAssignment> assigned_;
    QMap<QString, TProgram> programs_;
    QDBusServiceWatcher watcher_;
    QTimer heartbeat_, requests_;
    bool recover_ = false; // the records failed a call and are not open again yet
};

} // namespace classroom
