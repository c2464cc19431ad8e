#include "classroom/ClassroomService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTextStream>

#include <algorithm>
#include <exception>
#include <optional>

#include "learners/ClassroomBus.h"

namespace classroom {

using namespace tav::classroombus;

namespace {
void Say(const QString& line) {
    QTextStream(stdout) << line << Qt::endl;
}

// A call the manager will not carry out; `gone` answers as a manager that
// lost the program's session would (the program keeps what it sent and
// connects again), else the program hears a refusal.
struct ERefused : std::runtime_error {
    ERefused(const QString& why, bool gone = false) : std::runtime_error(why.toStdString()), Gone(gone) {}
    bool Gone;
};

// The activity codes the programs report.
bool KnownActivity(int code) {
    return code == 401 || code == 411 || code == 421 || (code >= 431 && code <= 439) || code == 441 ||
           code == 451 || (code >= 461 && code <= 492 && (code % 10 == 1 || code % 10 == 2));
}

// -1: the activity gave no score. The quiz counts 50 points a question over
// twenty questions; everything else is a percentage or a test's 0..100.
bool ScoreInRange(int code, int score) {
    return score == -1 || (score >= 0 && score <= (code == 421 ? 1000 : 100));
}

// The award level that belongs to a total of the four test scores.
int AwardLevelOf(int total) { return total >= 375 ? 3 : total >= 350 ? 2 : total >= 300 ? 1 : 0; }

// A target is one folder name.
bool IsFolderName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) && !name.contains(QChar(0));
}

QString MachineId() {
    QFile file(QStringLiteral("/etc/machine-id"));
    if (file.open(QIODevice::ReadOnly)) return QString::fromLatin1(file.readAll()).trimmed();
    return QSysInfo::machineHostName();
}
} // namespace

template <class F>
void TClassroomService::Stored(F&& fn) {
    // The server that failed the last call may be back: open it again first.
    if (recover_) recover_ = !store_.Recover();
    try {
        fn();
    } catch (const ERefused& e) {
        Say(QStringLiteral("refused: ") + QString::fromStdString(e.what()));
        sendErrorReply(e.Gone ? QDBusError::errorString(QDBusError::Failed) : QLatin1String(kRefusedError),
                       QString::fromStdString(e.what()));
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
      computer_(computer.isEmpty() ? QSysInfo::machineHostName() : computer), computerGiven_(!computer.isEmpty()),
      watcher_(QString(), bus_, QDBusServiceWatcher::WatchForUnregistration) {
    // A program that ends without saying goodbye ends its session.
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &TClassroomService::Forget);
    connect(&heartbeat_, &QTimer::timeout, this, &TClassroomService::Heartbeat);
    connect(&requests_, &QTimer::timeout, this, &TClassroomService::TakeRequests);
}

bool TClassroomService::Start() {
    // On a computer's own database login the records know this computer by that login.
    const QString login = store_.ComputerLogin();
    if (!login.isEmpty() && computerGiven_ && login != computer_) {
        startError_ = QStringLiteral("this computer's database login is \"%1\", and its records are kept under "
                                     "that name: leave out --computer or give --computer %1")
                          .arg(login);
        return false;
    }
    if (!login.isEmpty()) computer_ = login;
    const QString another = QStringLiteral("another classroom manager is already running on this desktop");
    if (!bus_.registerObject(QLatin1String(kManagerPath), this, QDBusConnection::ExportAllSlots)) {
        startError_ = another;
        return false;
    }
    if (!bus_.registerService(QLatin1String(kManagerService))) {
        bus_.unregisterObject(QLatin1String(kManagerPath));
        startError_ = another;
        return false;
    }
    // A manager restarted on this desktop (same machine, same session bus)
    // carries on; another desktop under the same name would end our sessions.
    const QDBusMessage id = bus_.call(QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId")));
    instance_ = MachineId() + QLatin1Char('/') + id.arguments().value(0).toString();
    startError_ = store_.ClaimComputer(computer_, instance_, page_);
    if (!startError_.isEmpty()) {
        bus_.unregisterService(QLatin1String(kManagerService));
        bus_.unregisterObject(QLatin1String(kManagerPath));
        return false;
    }
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

TClassroomService::TProgram& TClassroomService::SignIn() {
    const QString sender = message().service();
    auto it = programs_.find(sender);
    if (it != programs_.end()) return *it;
    TProgram p;
    p.Pid = bus_.interface()->servicePid(sender).value();
    // A program still running from before this manager started carries
    // on under the learner it had; GetStudentInfo decides for a new one.
    // Another connection of a process that has a session already is not that
    // program carrying on.
    const bool again = std::any_of(programs_.begin(), programs_.end(), [&](const TProgram& o) { return o.Pid == p.Pid; });
    if (assigned_.contains(p.Pid)) p.Assignment = assigned_.value(p.Pid);
    else if (auto earlier = again ? std::nullopt : store_.EarlierSession(computer_, p.Pid)) {
        p.Assignment = *earlier;
        p.Decided = true;
    } else p.Assignment = fallback_;
    p.Session = store_.StartSession(p.Assignment.Learner, p.Assignment.Target, computer_, p.Pid);
    it = programs_.insert(sender, p);
    watcher_.addWatchedService(sender);
    return *it;
}

TClassroomService::TProgram& TClassroomService::Caller(const char* call, const QString& detail) {
    const QString sender = message().service();
    auto it = programs_.find(sender);
    if (it == programs_.end())
        throw ERefused(QStringLiteral("%1 from %2 (pid %3), which has not connected")
                           .arg(QLatin1String(call), sender)
                           .arg(bus_.interface()->servicePid(sender).value()),
                       true);
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

void TClassroomService::CheckSection(const TProgram& p, const QString& section, const QString& key) const {
    if (section.compare("Student " + p.Assignment.Learner, Qt::CaseInsensitive) == 0) return;
    if (section.compare(QLatin1String("Defaults"), Qt::CaseInsensitive) == 0 &&
        key.compare(QLatin1String("Language"), Qt::CaseInsensitive) == 0)
        return;
    throw ERefused(QStringLiteral("the program of %1 may not touch [%2] %3").arg(p.Assignment.Learner, section, key));
}

void TClassroomService::Connect() {
    Stored([&] {
        SignIn();
        Caller("Connect");
    });
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
            // An assignment from before names were checked may hold a control character.
            const QString problem = LearnerNameProblem(given.Learner);
            if (!problem.isEmpty()) throw ERefused(problem);
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
        const TProgram& p = Caller("GetRemoteProfileString", "[" + section + "] " + key);
        CheckSection(p, section, key);
        value = store_.ReadProfile(p.Assignment.Target, section, key, def);
    });
    return value;
}

void TClassroomService::WriteRemoteProfileString(const QString& section, const QString& key, const QString& value) {
    Stored([&] {
        const TProgram& p = Caller("WriteRemoteProfileString", "[" + section + "] " + key + "=" + value);
        CheckSection(p, section, key.isEmpty() && value.isEmpty() ? QString() : key);
        store_.WriteProfile(p.Assignment.Target, section, key, value);
    });
}

bool TClassroomService::WriteKeptProfileString(const QString& section, const QString& key, const QString& value,
                                               const QString& writtenAt) {
    bool stored = false;
    Stored([&] {
        const TProgram& p =
            Caller("WriteKeptProfileString", "[" + section + "] " + key + "=" + value + " of " + writtenAt);
        CheckSection(p, section, key.isEmpty() && value.isEmpty() ? QString() : key);
        const QDateTime when = QDateTime::fromString(writtenAt, Qt::ISODateWithMs);
        if (!when.isValid()) throw ERefused("a kept write without a readable time: " + writtenAt);
        stored = store_.WriteKeptProfile(p.Assignment.Target, section, key, value, when);
        if (!stored) Say(QStringLiteral("pid %1: [%2] %3 holds a later value; the kept one is dropped").arg(p.Pid).arg(section, key));
    });
    return stored;
}

void TClassroomService::SendStartActivity(int code) {
    Stored([&] {
        const TProgram& p = Caller("SendStartActivity", QString::number(code));
        if (!KnownActivity(code)) throw ERefused(QStringLiteral("no activity has the code %1").arg(code));
        store_.StartActivity(p.Session, code);
    });
}

void TClassroomService::SendEndActivity(int code, int score) {
    Stored([&] {
        const TProgram& p = Caller("SendEndActivity", QStringLiteral("%1, %2").arg(code).arg(score));
        if (!KnownActivity(code)) throw ERefused(QStringLiteral("no activity has the code %1").arg(code));
        if (!ScoreInRange(code, score))
            throw ERefused(QStringLiteral("%1 is not a score activity %2 can give").arg(score).arg(code));
        store_.EndActivity(p.Session, code, score);
    });
}

void TClassroomService::SendScore(int total, int level) {
    Stored([&] {
        const TProgram& p = Caller("SendScore", QStringLiteral("%1 %2").arg(total).arg(level));
        // Four test scores of 0..100 each, and the award level they earn.
        if (total < 0 || total > 400) throw ERefused(QStringLiteral("%1 is not a total of four test scores").arg(total));
        if (level != AwardLevelOf(total))
            throw ERefused(QStringLiteral("a total of %1 earns award level %2, not %3").arg(total).arg(AwardLevelOf(total)).arg(level));
        store_.SetScore(p.Session, total, level);
    });
}

void TClassroomService::TellTarget(const QString& target) {
    Stored([&] {
        TProgram& p = Caller("TellTarget", target);
        if (p.Assignment.Target == target) return;
        // Only a program the manager named no target for tells it, and once:
        // the target the profiles are kept under does not change mid-session.
        if (!p.Assignment.Target.isEmpty())
            throw ERefused(QStringLiteral("the target of this session is %1").arg(p.Assignment.Target));
        if (!IsFolderName(target)) throw ERefused(QStringLiteral("\"%1\" is not a target folder name").arg(target));
        p.Assignment.Target = target;
        store_.SetSessionWho(p.Session, p.Assignment.Learner, target);
    });
}

qint64 TClassroomService::StartLearner(const QString& learner, const QString& target) {
    const QString problem = LearnerNameProblem(learner);
    if (!problem.isEmpty()) {
        sendErrorReply(QLatin1String(kRefusedError), problem);
        return 0;
    }
    if (!target.isEmpty() && !IsFolderName(target)) {
        sendErrorReply(QLatin1String(kRefusedError), QStringLiteral("\"%1\" is not a target folder name").arg(target));
        return 0;
    }
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
        store_.Touch(computer_, page_, sessions, instance_);
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
