#include "ManagerPeer.h"

#include <QDBusMessage>

#include <cstdlib>
#include <memory>

#include "learners/ClassroomBus.h"

namespace tavtest {

using namespace tav::classroombus;

QString PrivateBusAddress() {
    static QString address;
    static std::unique_ptr<QProcess> daemon;
    if (!address.isEmpty()) return address;
    daemon = std::make_unique<QProcess>();
    daemon->start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!daemon->waitForStarted(5000)) return {};
    while (!daemon->canReadLine() && daemon->waitForReadyRead(5000)) {}
    address = QString::fromUtf8(daemon->readLine()).trimmed();
    // The daemon ends with the test program.
    std::atexit([] {
        if (daemon) {
            daemon->kill();
            daemon->waitForFinished(2000);
            daemon.reset();
        }
    });
    return address;
}

QDBusConnection ConnectToPrivateBus(const QString& name) {
    return QDBusConnection::connectToBus(PrivateBusAddress(), name);
}

ManagerPeer::ManagerPeer() : bus_(ConnectToPrivateBus(QStringLiteral("manager-peer"))) {
    thread_.start();
    moveToThread(&thread_);
    bus_.registerObject(QLatin1String(kManagerPath), this, QDBusConnection::ExportAllSlots);
    Join();
}

ManagerPeer::~ManagerPeer() {
    Leave();
    bus_.unregisterObject(QLatin1String(kManagerPath));
    QDBusConnection::disconnectFromBus(QStringLiteral("manager-peer"));
    thread_.quit();
    thread_.wait();
}

void ManagerPeer::Join() { bus_.registerService(QLatin1String(kManagerService)); }
void ManagerPeer::Leave() { bus_.unregisterService(QLatin1String(kManagerService)); }

void ManagerPeer::Record(const std::string& call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(call);
}

std::vector<std::string> ManagerPeer::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::string ManagerPeer::Stored(const std::string& section, const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = store_.find({section, key});
    return it == store_.end() ? std::string("<none>") : it->second;
}

void ManagerPeer::Store(const std::string& section, const std::string& key, const std::string& value, QDateTime when) {
    std::lock_guard lock(mutex_);
    store_[{section, key}] = value;
    if (when.isValid()) written_[{section, key}] = when;
}

QString ManagerPeer::LastProgram() const {
    std::lock_guard lock(mutex_);
    return lastProgram_;
}

void ManagerPeer::Connect() {
    Record("Connect");
    if (!RefuseWith.isEmpty()) {
        sendErrorReply(QLatin1String(kRefusedError), RefuseWith);
        return;
    }
    std::lock_guard lock(mutex_);
    lastProgram_ = message().service();
}

void ManagerPeer::Disconnect(uchar flag) { Record("Disconnect " + std::to_string(flag)); }
int ManagerPeer::Connected() {
    Record("Connected");
    return 1;
}
void ManagerPeer::HideHubrell() { Record("HideHubrell"); }

QString ManagerPeer::GetStudentInfo(int& number, QString& target, QString& learner) {
    Record("GetStudentInfo");
    number = 0;
    target = Target;
    learner = Learner;
    return ContentRoot;
}

QString ManagerPeer::GetRemoteProfileString(const QString& section, const QString& key, const QString& def) {
    Record("Get [" + section.toStdString() + "] " + key.toStdString());
    std::lock_guard lock(mutex_);
    auto it = store_.find({section.toStdString(), key.toStdString()});
    return it == store_.end() ? def : QString::fromStdString(it->second);
}

void ManagerPeer::WriteRemoteProfileString(const QString& section, const QString& key, const QString& value) {
    Record("Write [" + section.toStdString() + "] " + key.toStdString() + "=" + value.toStdString());
    std::lock_guard lock(mutex_);
    if (key.isEmpty() && value.isEmpty()) {
        for (auto it = store_.begin(); it != store_.end();)
            it = it->first.first == section.toStdString() ? store_.erase(it) : std::next(it);
    } else {
        store_[{section.toStdString(), key.toStdString()}] = value.toStdString();
        written_[{section.toStdString(), key.toStdString()}] = QDateTime::currentDateTimeUtc();
    }
}

bool ManagerPeer::WriteKeptProfileString(const QString& section, const QString& key, const QString& value,
                                         const QString& writtenAt) {
    Record("Kept [" + section.toStdString() + "] " + key.toStdString() + "=" + value.toStdString());
    const QDateTime when = QDateTime::fromString(writtenAt, Qt::ISODateWithMs);
    std::lock_guard lock(mutex_);
    const std::pair<std::string, std::string> at{section.toStdString(), key.toStdString()};
    auto it = written_.find(at);
    if (!when.isValid() || (it != written_.end() && it->second >= when)) return false;
    store_[at] = value.toStdString();
    written_[at] = when;
    return true;
}

void ManagerPeer::SendStartActivity(int code) { Record("Start " + std::to_string(code)); }
void ManagerPeer::SendEndActivity(int code, int score) {
    Record("End " + std::to_string(code) + " " + std::to_string(score));
}
void ManagerPeer::SendScore(int total, int level) {
    Record("Score " + std::to_string(total) + " " + std::to_string(level));
}

} // namespace tavtest
