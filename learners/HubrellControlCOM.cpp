#include "learners/HubrellControlCOM.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "app/Main.h"
#include "content/DebugLog.h"
#include "content/OurUtils.h"
#include "content/UnicodeText.h"
#include "learners/ClassroomBus.h"
#include "platform/Paths.h"
#include "platform/UserInfo.h"
#include "toolkit/MessageBox.h"

namespace tav {

using namespace classroombus;

namespace {

const char* const kWrite = "WriteRemoteProfileString";

bool TimedOut(const QDBusMessage& reply) {
    const QDBusError::ErrorType type = QDBusError(reply).type();
    return type == QDBusError::NoReply || type == QDBusError::Timeout || type == QDBusError::TimedOut;
}

// Gone, or not able to store the call (its records are not reachable): either
// way what was sent is kept and handed over later.
bool ManagerIsGone(const QDBusMessage& reply) {
    switch (QDBusError(reply).type()) {
    case QDBusError::Failed:
    case QDBusError::ServiceUnknown:
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
    case QDBusError::Disconnected:
    case QDBusError::NoServer: return true;
    default: return false;
    }
}

QString Q(const std::string& s) { return ToQString(s); }

std::string Fmt(const char* fmt, const std::string& a, const std::string& b, const std::string& c) {
    std::string line = fmt;
    for (const std::string* part : {&a, &b, &c}) {
        const auto at = line.find("%s");
        if (at == std::string::npos) break;
        line.replace(at, 2, *part);
    }
    return line;
}

} // namespace

QString LinkErrorText(const QDBusMessage& reply) {
    const QDBusError error(reply);
    switch (error.type()) {
    case QDBusError::ServiceUnknown: return QStringLiteral("no classroom manager is running on this desktop");
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return QStringLiteral("the classroom manager did not answer within %1 seconds").arg(kCallTimeoutMs / 1000);
    case QDBusError::Disconnected:
    case QDBusError::NoServer: return QStringLiteral("the desktop session bus is not available");
    default: break;
    }
    if (error.name() == QLatin1String(kRefusedError))
        return error.message().isEmpty() ? QStringLiteral("the classroom manager refused this program")
                                         : QStringLiteral("the classroom manager refused this program: ") + error.message();
    return error.message().isEmpty() ? error.name() : error.message();
}

THubrellHooks MainWindowHubrellHooks() {
    THubrellHooks hooks;
    hooks.NetDebug = [] { return !Form_Main || !Form_Main->ConfigFile ? -1 : Form_Main->NetDebug ? 1 : 0; };
    hooks.CloseMain = [] { if (Form_Main) Form_Main->CloseProgram(); };
    hooks.PendingFile = [] {
        const std::string appData = AppDataFolder();
        if (appData.empty()) return std::string();
        const std::string folder = appData + "\\Zandrel\\Tavolin";
        ForceDirectories(folder);
        return NativePath(folder + "\\Classroom pending.json");
    };
    hooks.Target = [] { return Form_Main ? Form_Main->TargetFolderName : std::string(); };
    return hooks;
}

THubrellControlWindow::THubrellControlWindow(QDBusConnection bus, THubrellHooks hooks)
    : bus_(std::move(bus)), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("Hubrell Control"));
}

THubrellControlWindow::~THubrellControlWindow() {
    if (exported_) bus_.unregisterObject(QLatin1String(kProgramPath));
}

void THubrellControlWindow::Log(const std::string& line) {
    const int wanted = hooks_.NetDebug ? hooks_.NetDebug() : 0;
    if (wanted < 0) {
        waitingLines_.push_back(line);
        return;
    }
    if (wanted > 0)
        for (const std::string& earlier : waitingLines_) DebugLog(earlier);
    waitingLines_.clear();
    if (wanted > 0) DebugLog(line);
}

void THubrellControlWindow::RequireConnected() const {
    if (!Connected) throw EProgramError("Not connected to Hubrell");
}

QDBusMessage THubrellControlWindow::Send(const char* method, const QList<QVariant>& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kManagerService), QLatin1String(kManagerPath),
                                                       QLatin1String(kManagerInterface), QLatin1String(method));
    call.setArguments(args);
    // Blocking without an event loop: nothing of the program runs in between,
    // and the timeout bounds how long a hanging manager can hold it.
    return bus_.call(call, QDBus::Block, kCallTimeoutMs);
}

bool THubrellControlWindow::Connect() {
    Log("Connect");
    if (Connected) return true;
    QDBusMessage reply;
    if (!bus_.isConnected()) {
        MessageDlg("Couldn't connect: the desktop session bus is not available", TMsgIcon::Error);
        return false;
    }
    // Exported first, so that the manager can ask for a shut-down at once.
    if (!exported_)
        exported_ = bus_.registerObject(QLatin1String(kProgramPath), this, QDBusConnection::ExportScriptableSlots);
    reply = Send("Connect", {});
    if (reply.type() == QDBusMessage::ErrorMessage) {
        MessageDlg("Couldn't connect: " + FromQString(LinkErrorText(reply)), TMsgIcon::Error);
        return false;
    }
    Connected = true;
    offline_ = false;
    // A pending file from an earlier run: its profile writes hold what the
    // learner earned; its reports belonged to that run's session. They are
    // handed over once the manager knows the learner and target of this
    // session, and only those that belong to them.
    LoadPending();
    replayDue_ = !earlier_.isEmpty();
    return true;
}

void THubrellControlWindow::Disconnect(bool closedByTimeout) {
    Log("Disconnect " + std::to_string(closedByTimeout ? 1 : 0));
    if (!Connected) return;
    if (!offline_) Send("Disconnect", {QVariant::fromValue<uchar>(closedByTimeout ? 1 : 0)});
    Release();
}

void THubrellControlWindow::Drop() {
    Log("Drop");
    if (Connected) Release();
}

void THubrellControlWindow::Release() {
    Connected = false;
    offline_ = false;
    SavePending();
}

bool THubrellControlWindow::IsConnected() {
    Log("Connected");
    if (!Connected) return false;
    QDBusMessage reply;
    // While the manager is away the session goes on: what closing sends is kept.
    if (!Call("Connected", {}, &reply)) return true;
    return reply.arguments().value(0).toInt() == 1;
}

void THubrellControlWindow::HideHubrell() {
    Log("HideHubrell");
    RequireConnected();
    Call("HideHubrell", {});
}

TStudentInfo THubrellControlWindow::GetStudentInfo() {
    Log("GetStudentInfo");
    RequireConnected();
    QDBusMessage reply;
    if (!Call("GetStudentInfo", {}, &reply)) throw EProgramError("The classroom manager is not answering");
    const QList<QVariant> out = reply.arguments();
    TStudentInfo info;
    info.ContentRoot = FromQString(out.value(0).toString());
    info.Number = out.value(1).toInt();
    info.TargetFolderName = FromQString(out.value(2).toString());
    info.LearnerName = FromQString(out.value(3).toString());
    learner_ = out.value(3).toString();
    target_ = out.value(2).toString();
    // A manager that named the target files the profile under it already.
    targetTold_ = !info.TargetFolderName.empty();
    if (targetTold_) HandOverEarlierRun();
    return info;
}

std::string THubrellControlWindow::GetRemoteProfileString(const std::string& section, const std::string& key,
                                                          const std::string& defaultValue) {
    Log(Fmt("GetRemoreProfileString [%s], %s, %s", section, key, defaultValue));
    RequireConnected();
    TellTarget();
    QDBusMessage reply;
    if (Call("GetRemoteProfileString", {Q(section), Q(key), Q(defaultValue)}, &reply)) {
        std::string value = FromQString(reply.arguments().value(0).toString());
        local_[{section, key}] = value;
        return value;
    }
    auto it = local_.find({section, key});
    return it != local_.end() ? it->second : defaultValue;
}

void THubrellControlWindow::WriteRemoteProfileString(const std::string& section, const std::string& key,
                                                     const std::string& value) {
    Log(Fmt("WriteRemoteProfileString [%s], %s, %s", section, key, value));
    RequireConnected();
    TellTarget();
    if (key.empty() && value.empty()) {
        for (auto it = local_.begin(); it != local_.end();)
            it = it->first.first == section ? local_.erase(it) : std::next(it);
    } else {
        local_[{section, key}] = value;
    }
    const QList<QVariant> args{Q(section), Q(key), Q(value)};
    if (!Call(kWrite, args)) Keep(kWrite, args);
}

void THubrellControlWindow::SendStartActivity(int code) {
    Log("SendStartActivity " + std::to_string(code));
    RequireConnected();
    if (!Call("SendStartActivity", {code})) Keep("SendStartActivity", {code});
}

void THubrellControlWindow::SendEndActivity(int code, int lastScore) {
    Log("SendEndActivity " + std::to_string(code) + ", " + std::to_string(lastScore));
    RequireConnected();
    if (!Call("SendEndActivity", {code, lastScore})) Keep("SendEndActivity", {code, lastScore});
}

void THubrellControlWindow::SendScore(int total, int awardLevel) {
    Log("SendScore " + std::to_string(total) + " " + std::to_string(awardLevel));
    RequireConnected();
    if (!Call("SendScore", {total, awardLevel})) Keep("SendScore", {total, awardLevel});
}

void THubrellControlWindow::ShutDown() {
    if (calledFromDBus()) {
        // Any program on the session bus can call us: only the manager may end the session.
        const QString sender = message().service();
        QDBusConnectionInterface* busInfo = bus_.interface();
        const QString owner = busInfo ? busInfo->serviceOwner(QLatin1String(kManagerService)).value() : QString();
        if (owner.isEmpty() || sender != owner) {
            Log("Ignored ShutDown from " + sender.toStdString());
            sendErrorReply(QDBusError::AccessDenied,
                           QStringLiteral("only the classroom manager may ask this program to shut down"));
            return;
        }
    }
    Log("Had ShutDown");
    Drop();
    // Closed once this call has returned, so the manager gets its answer.
    QTimer::singleShot(0, this, [this] {
        // A box still open (the disc box at start-up, a message) runs its own
        // loop and would keep the program up: it goes first, as if cancelled.
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            for (int guard = 0; guard < 16; ++guard) {
                QWidget* modal = QApplication::activeModalWidget();
                if (!modal) break;
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
                else modal->close();
            }
        }
        if (hooks_.CloseMain) hooks_.CloseMain();
    });
}

void THubrellControlWindow::TellTarget() {
    // The manager named no target, so the program tells it the one it loaded
    // before the first profile call: profiles are kept per target. A manager
    // that does not know the call is answered by nothing.
    if (!targetTold_ && !offline_ && hooks_.Target) {
        const std::string target = hooks_.Target();
        if (target.empty()) return;
        const QDBusMessage answer = Send("TellTarget", {Q(target)});
        if (answer.type() == QDBusMessage::ErrorMessage && ManagerIsGone(answer)) {
            NoteHung(answer);
            GoOffline(LinkErrorText(answer));
            return;
        }
        targetTold_ = true;
        // The manager files the profile under the target it took.
        if (answer.type() != QDBusMessage::ErrorMessage) target_ = Q(target);
    }
    HandOverEarlierRun();
}

void THubrellControlWindow::HandOverEarlierRun() {
    if (!replayDue_ || offline_) return;
    replayDue_ = false;
    QJsonArray left;
    for (qsizetype i = 0; i < earlier_.size(); ++i) {
        const QJsonObject entry = earlier_.at(i).toObject();
        // Reports belonged to that run's session, which has ended.
        if (entry.value("call").toString() != QLatin1String(kWrite)) continue;
        // An older file's shared defaults name no target they were meant for: dropped.
        if (!entry.contains("learner") &&
            !entry.value("args").toArray().at(0).toString().startsWith(QLatin1String("Student "), Qt::CaseInsensitive))
            continue;
        if (!BelongsHere(entry)) {
            left.append(entry);
            continue;
        }
        // A file written before kept writes carried their time: none was
        // made after the file was last written.
        const QString time = entry.contains("time") ? entry.value("time").toString() : earlierTime_;
        const QDBusMessage answer = SendKeptWrite(entry, time);
        if (answer.type() == QDBusMessage::ErrorMessage && ManagerIsGone(answer)) {
            // Kept for the next try.
            for (qsizetype j = i; j < earlier_.size(); ++j) left.append(earlier_.at(j));
            replayDue_ = true;
            break;
        }
    }
    earlier_ = left;
    SavePending();
}

bool THubrellControlWindow::BelongsHere(const QJsonObject& entry) const {
    if (learner_.isEmpty()) return false;
    if (entry.contains("learner"))
        return entry.value("learner").toString().compare(learner_, Qt::CaseInsensitive) == 0 &&
               entry.value("target").toString().compare(target_, Qt::CaseInsensitive) == 0;
    // An older file names neither learner nor target: only what was written
    // into this learner's own section goes over (into this session's target).
    const QJsonArray args = entry.value("args").toArray();
    return args.at(0).toString().compare("Student " + learner_, Qt::CaseInsensitive) == 0;
}

QDBusMessage THubrellControlWindow::SendKeptWrite(const QJsonObject& entry, const QString& writtenAt) {
    const QJsonArray a = entry.value("args").toArray();
    const QList<QVariant> args{a.at(0).toString(), a.at(1).toString(), a.at(2).toString()};
    QDBusMessage answer = Send("WriteKeptProfileString", args + QList<QVariant>{writtenAt});
    // A manager from before kept writes: the plain write, as it always took them.
    if (answer.type() == QDBusMessage::ErrorMessage && QDBusError(answer).type() == QDBusError::UnknownMethod)
        answer = Send(kWrite, args);
    return answer;
}

void THubrellControlWindow::NoteHung(const QDBusMessage& answer) {
    if (!TimedOut(answer)) return;
    QDBusConnectionInterface* busInfo = bus_.interface();
    hungOwner_ = busInfo ? busInfo->serviceOwner(QLatin1String(kManagerService)).value() : QString();
    hungSince_.start();
}

// ---- the manager going away and coming back ---------------------------------------------

bool THubrellControlWindow::Call(const char* method, const QList<QVariant>& args, QDBusMessage* reply) {
    if (offline_ && !TryReconnect()) return false;
    QDBusMessage answer = Send(method, args);
    if (answer.type() != QDBusMessage::ErrorMessage) {
        if (reply) *reply = answer;
        return true;
    }
    if (ManagerIsGone(answer)) {
        NoteHung(answer);
        GoOffline(LinkErrorText(answer));
        return false;
    }
    throw EProgramError(FromQString(LinkErrorText(answer)));
}

void THubrellControlWindow::GoOffline(const QString& reason) {
    offline_ = true;
    MessageDlg("The classroom manager is not answering (" + FromQString(reason) +
                   "). You can go on working: your results are kept on this computer and handed to the "
                   "manager when it is back.",
               TMsgIcon::Warning);
}

bool THubrellControlWindow::TryReconnect() {
    // Asking the bus is quick; a call to an absent manager is not.
    QDBusConnectionInterface* busInfo = bus_.interface();
    if (!busInfo) return false;
    const QString owner = busInfo->serviceOwner(QLatin1String(kManagerService)).value();
    if (owner.isEmpty()) return false;
    // The manager that let a call time out is not asked again for a while:
    // every try would hold the program for the whole timeout.
    if (owner == hungOwner_ && hungSince_.isValid() && hungSince_.elapsed() < kHungRetryMs) return false;
    const QDBusMessage answer = Send("Connect", {});
    if (answer.type() == QDBusMessage::ErrorMessage) {
        NoteHung(answer);
        return false;
    }
    hungOwner_.clear();
    offline_ = false;
    if (!Replay()) {
        offline_ = true;
        return false;
    }
    return true;
}

bool THubrellControlWindow::Replay() {
    while (!pending_.isEmpty()) {
        const QJsonObject entry = pending_.first().toObject();
        const QByteArray method = entry.value("call").toString().toLatin1();
        QDBusMessage answer;
        if (method == kWrite) {
            answer = SendKeptWrite(entry, entry.value("time").toString());
        } else {
            QList<QVariant> args;
            for (const QJsonValue& v : entry.value("args").toArray())
                args << (v.isDouble() ? QVariant(v.toInt()) : QVariant(v.toString()));
            answer = Send(method.constData(), args);
        }
        if (answer.type() == QDBusMessage::ErrorMessage && ManagerIsGone(answer)) return false;
        // A manager that took this program for another learner refuses the
        // write: it waits for a session of its own learner and target.
        if (answer.type() == QDBusMessage::ErrorMessage && method == kWrite) earlier_.append(entry);
        pending_.removeFirst();
        SavePending();
    }
    return true;
}

void THubrellControlWindow::Keep(const char* method, const QList<QVariant>& args) {
    QJsonArray values;
    for (const QVariant& v : args) values.append(QJsonValue::fromVariant(v));
    pending_.append(QJsonObject{{"call", QString::fromLatin1(method)},
                                {"args", values},
                                {"learner", learner_},
                                {"target", target_},
                                {"time", QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}});
    SavePending();
}

void THubrellControlWindow::SavePending() const {
    const QString file = hooks_.PendingFile ? QString::fromStdString(hooks_.PendingFile()) : QString();
    if (file.isEmpty()) return;
    QJsonArray all = earlier_;
    for (const QJsonValue& v : pending_) all.append(v);
    if (all.isEmpty()) {
        QFile::remove(file);
        return;
    }
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(all).toJson()) < 0 || !out.commit())
        DebugLog("Couldn't write " + FromQString(file));
}

void THubrellControlWindow::LoadPending() {
    const QString file = hooks_.PendingFile ? QString::fromStdString(hooks_.PendingFile()) : QString();
    QFile in(file);
    if (file.isEmpty() || !in.open(QIODevice::ReadOnly)) return;
    earlierTime_ = QFileInfo(file).lastModified().toUTC().toString(Qt::ISODateWithMs);
    // Everything in the file, this object's own earlier session too, is an earlier run's now.
    earlier_ = QJsonDocument::fromJson(in.readAll()).array();
    pending_ = QJsonArray();
}

} // namespace tav
