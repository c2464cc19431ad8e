#pragma once
// A private D-Bus session bus for one test program, and a small classroom
// manager on it that answers from its own thread, the way a separate process
// would: the program's blocking calls really wait for the bus.
#include <QDBusConnection>
#include <QDBusContext>
#include <QDateTime>
#include <QObject>
#include <QProcess>
#include <QThread>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace tavtest {

// One dbus-daemon for the whole test program, started on first use.
QString PrivateBusAddress();
// A new connection of its own to the private bus.
QDBusConnection ConnectToPrivateBus(const QString& name);

class ManagerPeer : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "net.tavolin.Classroom1")
public:
    ManagerPeer();
    ~ManagerPeer() override;

    // Takes the manager's name on the bus (again); Leave gives it up, as a
    // manager that was killed does.
    void Join();
    void Leave();

    // What the manager answers.
    QString ContentRoot, Target, Learner = QStringLiteral("Ann");
    QString RefuseWith; // not empty: Connect is refused with this text

    std::vector<std::string> Calls() const;
    std::string Stored(const std::string& section, const std::string& key) const;
    // `when` (UTC): when the value was written, for kept writes to compare with.
    void Store(const std::string& section, const std::string& key, const std::string& value, QDateTime when = {});
    // The unique bus name of the last program that connected.
    QString LastProgram() const;
    QDBusConnection& Bus() { return bus_; }

public slots:
    void Connect();
    void Disconnect(uchar flag);
    int Connected();
    void HideHubrell();
    QString GetStudentInfo(int& number, QString& target, QString& learner);
    QString GetRemoteProfileString(const QString& section, const QString& key, const QString& def);
    void WriteRemoteProfileString(const QString& section, const QString& key, const QString& value);
    // Kept while the manager was away: stored only over an older value.
    bool WriteKeptProfileString(const QString& section, const QString& key, const QString& value,
                                const QString& writtenAt);
    void SendStartActivity(int code);
    void SendEndActivity(int code, int score);
    void SendScore(int total, int level);

private:
    void Record(const std::string& call);
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::map<std::pair<std::string, std::string>, std::string> store_;
    std::map<std::pair<std::string, std::string>, QDateTime> written_;
    QString lastProgram_;
    QThread thread_;
    QDBusConnection bus_;
};

} // namespace tavtest
