#include "classroom/ClassroomService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSysInfo>
#include <QTextStream>

#include <exception>
#include <optional>

#include "learners/ClassroomBus.h"

namespace classroom {

using namespace tav::classroombus;

namespace {
void Say(const QString& line) {
    QTextStream(stdout) << line << Qt::endl;
}
} // namespace

template <class F>
void TClassroomService::Stored(F&& fn) {
    // The server that failed the last call may be back: open it again first.
    if (recover_) recover_ = !store_.Recover();
    try {
        fn();
    } catch (const std::exception& e) {
        // The program learns that the call was not stored and keeps what it
        // sent for later; the server may be back by then.
        Say(QStringLiteral("not stored: ") + QString::fromLocal8Bit(e.what()));
        recover_ = !store_.Recover();
        sendErrorReply(QDBusError::Failed, QStringLiteral("the classroom records are not reachable"));
    }
}

TClassroomService::TClassroomService(TClassroomStore& store, QDBusConnection bus, TAssignment fallback,
                                     QString programPath, QString computer)
    : store_(store), bus_(std::move(bus)), fallback_(std::move(fallback)), programPath_(std::move(programPath)),
      computer_(computer.isEmpty() ? QSysInfo::machineHostName() : std::move(computer)),
      watcher_(QString(), bus_, QDBusServiceWatcher::WatchForUnregistration) {
    // A program that ends without saying goodbye ends its session.
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &TClassroomService::Forget);
    connect(&heartbeat_, &QTimer::timeout, this, &TClassroomService::Heartbeat);
    connect(&requests_, &QTimer::timeout, this, &TClassroomService::TakeRequests);
}

bool TClassroomService::Start() {
    if (!bus_.registerObject(QLatin1String(kManagerPath), this, QDBusConnection::ExportAllSlots)) return false;
    if (!bus_.registerService(QLatin1String(kManagerService))) return false;
    TakeOverSessions();
    Heartbeat();
    heartbeat_.start(kHeartbeatMs);
    requests_.start(1000);
    return true;
}

void TClassroomService::TakeOverSessions() {
    // The programs of this desktop that are on the bus now, by process.
    QMap<qint64, QString> onBus;
    QDBusConnectionInterface* busInfo = bus_.interface();
    for (const QString& name : busInfo->registeredServiceNames().value())
        if (name.startsWith(QLatin1Char(':'))) onBus.insert(busInfo->servicePid(name).value(), name);
    // What an earlier manager left open goes on for a program still running
    // (the teacher keeps seeing it); the rest ends when last seen.
    for (const TSessionView& s : store_.LeftoverSessions(computer_)) {
        const QString name = onBus.value(s.Pid);
        if (name.isEmpty() || programs_.contains(name)) {
            store_.CloseLeftoverSession(s.Session);
            continue;
        }
        TProgram p;
        p.Session = s.Session;
        p.Pid = s.Pid;
        p.Assignment = TAssignment{fallback_.ContentRoot, s.Target, s.Learner};
        p.Decided = true;
        programs_.insert(name, p);
        watcher_.addWatchedService(name);
        Say(QStringLiteral("pid %1, %2: carries on from the last manager").arg(s.Pid).arg(s.Learner));
    }
}

void TClassroomService::Assign(qint64 pid, const TAssignment& assignment) { assigned_[pid] = assignment; }

TClassroomService::TProgram& TClassroomService::Caller(const char* call, const QString& detail) {
    const QString sender = message().service();
    auto it = programs_.find(sender);
    if (it == programs_.end()) {
        TProgram p;
        p.Pid = bus_.interface()->servicePid(sender).value();
        // A program still running from before this manager started carries
        // on under the learner it had; GetStudentInfo decides for a new one.
        if (assigned_.contains(p.Pid)) p.Assignment = assigned_.value(p.Pid);
        else if (auto earlier = store_.EarlierSession(computer_, p.Pid)) p.Assignment = *earlier;
        else p.Assignment = fallback_;
        p.Session = store_.StartSession(p.Assignment.Learner, p.Assignment.Target, computer_, p.Pid);
        it = programs_.insert(sender, p);
        watcher_.addWatchedService(sender);
    }
    Say(QStringLiteral("pid %1, %2, %3: %4 %5")
            .arg(it->Pid)
            .arg(it->Assignment.Learner, it->Assignment.Target.isEmpty() ? QStringLiteral("-") : it->Assignment.Target,
                 QLatin1String(call), detail)
            .trimmed());
    return *it;
}

void TClassroomService::Forget(const QString& busName) {
    auto it = programs_.find(busName);
    if (it == programs_.end()) return;
    Stored([&] { store_.EndSession(it->Session, false); });
    watcher_.removeWatchedService(busName);
    programs_.erase(it);
}

void TClassroomService::Connect() {
    Stored([&] { Caller("Connect"); });
}

void TClassroomService::Disconnect(uchar flag) {
    Stored([&] { store_.EndSession(Caller("Disconnect", QString::number(flag)).Session, flag == 1); });
    watcher_.removeWatchedService(message().service());
    programs_.remove(message().service());
}

int TClassroomService::Connected() {
    Stored([&] { Caller("Connected"); });
    return 1;
}

void TClassroomService::HideHubrell() {
    Stored([&] { Caller("HideHubrell"); });
}

QString TClassroomService::GetStudentInfo(int& number, QString& target, QString& learner) {
    TAssignment a;
    Stored([&] {
        TProgram& p = Caller("GetStudentInfo");
        if (!p.Decided) {
            // Started for a learner, else what the teacher named for this
            // computer, else the manager's own choice.
            std::optional<TAssignment> chosen;
            if (assigned_.contains(p.Pid)) chosen = assigned_.value(p.Pid);
            else chosen = store_.TakeAssignment(computer_);
            // What the teacher left open is the manager's own.
            TAssignment given = chosen.value_or(fallback_);
            if (given.ContentRoot.isEmpty()) given.ContentRoot = fallback_.ContentRoot;
            if (given.Target.isEmpty()) given.Target = fallback_.Target;
            if (given.Learner.isEmpty()) given.Learner = fallback_.Learner;
            p.Assignment = given;
            p.Decided = true;
            store_.SetSessionWho(p.Session, p.Assignment.Learner, p.Assignment.Target);
            Say(QStringLiteral("pid %1: for %2, target %3, content %4")
                    .arg(p.Pid)
                    .arg(given.Learner, given.Target.isEmpty() ? QStringLiteral("(the program's)") : given.Target,
                         given.ContentRoot.isEmpty() ? QStringLiteral("(the program looks)") : given.ContentRoot));
        }
        a = p.Assignment;
    });
    number = 0;
    target = a.Target;
    learner = a.Learner;
    // No content named: the program searches for its disc.
    return a.ContentRoot.isEmpty() ? QStringLiteral("%s") : a.ContentRoot;
}

QString TClassroomService::GetRemoteProfileString(const QString& section, const QString& key, const QString& def) {
    QString value = def;
    Stored([&] {
        value = store_.ReadProfile(Caller("GetRemoteProfileString", "[" + section + "] " + key).Assignment.Target,
                                   section, key, def);
    });
    return value;
}

void TClassroomService::WriteRemoteProfileString(const QString& section, const QString& key, const QString& value) {
    Stored([&] {
        const TProgram& p = Caller("WriteRemoteProfileString", "[" + section + "] " + key + "=" + value);
        store_.WriteProfile(p.Assignment.Target, section, key, value);
    });
}

void TClassroomService::SendStartActivity(int code) {
    Stored([&] { store_.StartActivity(Caller("SendStartActivity", QString::number(code)).Session, code); });
}

void TClassroomService::SendEndActivity(int code, int score) {
    Stored([&] {
        store_.EndActivity(Caller("SendEndActivity", QStringLiteral("%1, %2").arg(code).arg(score)).Session, code,
                           score);
    });
}

void TClassroomService::SendScore(int total, int level) {
    Stored([&] {
        store_.SetScore(Caller("SendScore", QStringLiteral("%1 %2").arg(total).arg(level)).Session, total, level);
    });
}

void TClassroomService::TellTarget(const QString& target) {
    Stored([&] {
        TProgram& p = Caller("TellTarget", target);
        if (p.Assignment.Target == target) return;
        p.Assignment.Target = target;
        store_.SetSessionWho(p.Session, p.Assignment.Learner, target);
    });
}

qint64 TClassroomService::StartLearner(const QString& learner, const QString& target) {
    QProcess program;
    program.setProgram(programPath_);
    program.setArguments({QStringLiteral("remote=1")});
    qint64 pid = 0;
    if (programPath_.isEmpty() || !program.startDetached(&pid)) {
        sendErrorReply(QDBusError::Failed, "Couldn't start " + programPath_);
        return 0;
    }
    TAssignment a = fallback_;
    a.Learner = learner;
    if (!target.isEmpty()) a.Target = target;
    Assign(pid, a);
    Say(QStringLiteral("started pid %1 for %2").arg(pid).arg(learner));
    return pid;
}

int TClassroomService::ShutDownLearner(const QString& learner) {
    int count = 0;
    for (auto it = programs_.begin(); it != programs_.end();) {
        if (it->Assignment.Learner != learner) {
            ++it;
            continue;
        }
        const QString program = it.key();
        ++it;
        SendShutDown(program);
        ++count;
    }
    return count;
}

void TClassroomService::SendShutDown(const QString& busName) {
    auto it = programs_.find(busName);
    if (it == programs_.end()) return;
    QDBusMessage request = QDBusMessage::createMethodCall(busName, QLatin1String(kProgramPath),
                                                          QLatin1String(kProgramInterface), QStringLiteral("ShutDown"));
    request.setAutoStartService(false);
    bus_.asyncCall(request, kCallTimeoutMs);
    Say(QStringLiteral("pid %1, %2: asked to shut down").arg(it->Pid).arg(it->Assignment.Learner));
    // The program drops the link and closes without a goodbye.
    Stored([&] { store_.EndSession(it->Session, false); });
    watcher_.removeWatchedService(busName);
    programs_.erase(it);
}

bool TClassroomService::ShutDownSession(qint64 session) {
    for (auto it = programs_.begin(); it != programs_.end(); ++it)
        if (it->Session == session) {
            SendShutDown(it.key());
            return true;
        }
    // Another computer's program: its manager takes the request from the records.
    for (const TSessionView& s : store_.Sessions(StoreTime(kLiveSeconds), 0))
        if (s.Session == session && s.Computer != computer_) {
            store_.RequestShutDown(session);
            return true;
        }
    return false;
}

void TClassroomService::Heartbeat() {
    std::vector<qint64> sessions;
    for (const TProgram& p : programs_) sessions.push_back(p.Session);
    try {
        store_.Touch(computer_, page_, sessions);
    } catch (const std::exception& e) {
        Say(QStringLiteral("records not reachable: ") + QString::fromLocal8Bit(e.what()));
        recover_ = !store_.Recover();
    }
}

void TClassroomService::TakeRequests() {
    try {
        for (qint64 session : store_.TakeShutDownRequests(computer_)) {
            for (auto it = programs_.begin(); it != programs_.end(); ++it)
                if (it->Session == session) {
                    SendShutDown(it.key());
                    break;
                }
        }
    } catch (const std::exception& e) {
        Say(QStringLiteral("records not reachable: ") + QString::fromLocal8Bit(e.what()));
    }
}

} // namespace classroom
