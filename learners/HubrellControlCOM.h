#pragma once
// THubrellControlWindow: the program's end of the classroom link in remote
// mode. It calls the classroom manager over the D-Bus session bus and exports
// a small object whose ShutDown call is the manager's request to close.
//
// A manager that vanishes mid-session does not stop the learner: the link
// says so once, answers profile reads from the values it has seen this
// session, and keeps every write and report in order in a pending file. The
// next call that finds the manager back connects again and hands them over;
// a pending file left by an earlier run hands its profile writes over at the
// next start.
#include <QDBusConnection>
#include <QDBusContext>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QObject>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "app/ClassroomLink.h"

#include <QDBusMessage>

namespace tav {

// What the link needs from the program around it.
struct THubrellHooks {
    // Whether to write the link's debug lines: 1 yes, 0 no, -1 not known yet
    // (the configuration is read after the manager names the content); lines
    // written before it is known wait for the answer.
    std::function<int()> NetDebug;
    std::function<void()> CloseMain;         // close the main window
    std::function<std::string()> PendingFile; // native path of the pending file ("" = none)
    std::function<std::string()> Target;      // the target folder the program loaded ("" = none yet)
};

class THubrellControlWindow : public QObject, public IClassroomLink, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.tavolin.Program1")
public:
    THubrellControlWindow(QDBusConnection bus, THubrellHooks hooks);
    ~THubrellControlWindow() override;

    bool Connect() override;
    void Disconnect(bool closedByTimeout) override;
    void Drop();
    bool IsConnected() override;
    void HideHubrell() override;
    TStudentInfo GetStudentInfo() override;
    std::string GetRemoteProfileString(const std::string& section, const std::string& key,
                                       const std::string& defaultValue) override;
    void WriteRemoteProfileString(const std::string& section, const std::string& key,
                                  const std::string& value) override;
    void SendStartActivity(int code) override;
    void SendEndActivity(int code, int lastScore) override;
    void SendScore(int total, int awardLevel) override;

    bool Connected = false;
    // True while the manager is gone and the link works on its local copy.
    bool Offline() const { return offline_; }

public slots:
    // The manager's shut-down request; from anyone but the current owner of
    // the manager's name it is refused and changes nothing.
    Q_SCRIPTABLE void ShutDown();

private:
    void Log(const std::string& line);
    void RequireConnected() const;
    void Release();
    // Calls the manager; returns false when it is gone (the call is then
    // kept for later); other failures raise the manager's error text.
    bool Call(const char* method, const QList<QVariant>& args, QDBusMessage* reply = nullptr);
    QDBusMessage Send(const char* method, const QList<QVariant>& args);
    void GoOffline(const QString& reason);
    bool TryReconnect();
    // Notes a manager that let a call run into the timeout.
    void NoteHung(const QDBusMessage& answer);
    void TellTarget();
    void HandOverEarlierRun();
    // Hands this run's kept calls over in order; false when the manager went again.
    bool Replay();
    // A kept profile write, with the time it was made: the manager keeps
    // whichever value is newer. Returns the answer.
    QDBusMessage SendKeptWrite(const QJsonObject& entry, const QString& writtenAt);
    // Whether a kept write of an earlier run belongs to this session's learner and target.
    bool BelongsHere(const QJsonObject& entry) const;
    void Keep(const char* method, const QList<QVariant>& args);
    void SavePending() const;
    void LoadPending();

    QDBusConnection bus_;
    THubrellHooks hooks_;
    bool offline_ = false;
    bool exported_ = false;
    bool targetTold_ = false;
    bool replayDue_ = false; // the pending file of an earlier run waits for the target
    QString hungOwner_;
    QElapsedTimer hungSince_;
    // This run's kept calls, and what earlier runs left (profile writes of
    // other learners or targets wait there for a session of theirs).
    QJsonArray pending_, earlier_;
    QString earlierTime_; // when the earlier runs' file was last written
    // Who this session is for, as the manager named them (and the target
    // told): every kept write carries them.
    QString learner_, target_;
    std::vector<std::string> waitingLines_;
    std::map<std::pair<std::string, std::string>, std::string> local_;
};

// The link's hooks into the current main window (Form_Main); the pending
// file lives in the user's data folder, which is known before the content is.
THubrellHooks MainWindowHubrellHooks();

// The reason a person understands for a failed D-Bus call.
QString LinkErrorText(const QDBusMessage& reply);

} // namespace tav
