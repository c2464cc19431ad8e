#include "classroom/TeacherPage.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>

#include <exception>

#include "classroom/ClassroomService.h"
#include "classroom/ClassroomStore.h"

namespace classroom {

namespace {

using Status = QHttpServerResponse::StatusCode;

QHttpServerResponse Json(const QJsonObject& object, Status status = Status::Ok) {
    return QHttpServerResponse(QByteArrayLiteral("application/json"), QJsonDocument(object).toJson(QJsonDocument::Compact),
                               status);
}

QHttpServerResponse Problem(const QString& text, Status status) { return Json({{"error", text}}, status); }

// The body of a POST: only JSON is taken, which a page of another site
// cannot send here without the browser asking first.
bool ReadBody(const QHttpServerRequest& request, QJsonObject& body) {
    if (!request.value("Content-Type").startsWith("application/json")) return false;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(request.body(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
    body = doc.object();
    return true;
}

QJsonObject SessionJson(const TSessionView& s) {
    return {{"session", double(s.Session)},    {"pid", double(s.Pid)},       {"computer", s.Computer},
            {"learner", s.Learner},            {"target", s.Target},         {"started", s.Started},
            {"ended", s.Ended},                {"activity", s.CurrentActivity}, {"lastScore", s.LastScore},
            {"total", s.Total},                {"award", s.AwardLevel},      {"open", s.Ended.isEmpty()}};
}

// Runs a handler; a failure of the records becomes an answer, not a crash.
template <class F>
QHttpServerResponse Guarded(F&& fn) {
    try {
        return fn();
    } catch (const std::exception& e) {
        return Problem(QString::fromLocal8Bit(e.what()), Status::InternalServerError);
    }
}

} // namespace

bool ParseListenAddress(const QString& text, QHostAddress& address, quint16& port) {
    QString host = text;
    port = 8470;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    // "[::1]:8470", "127.0.0.1:8470", ":8470"; a bare IPv6 address has several colons.
    if (colon >= 0 && (text.count(QLatin1Char(':')) == 1 || text.startsWith(QLatin1Char('[')))) {
        bool ok = false;
        const uint p = text.mid(colon + 1).toUInt(&ok);
        if (!ok || p > 65535) return false;
        port = quint16(p);
        host = text.left(colon);
    }
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) host = host.mid(1, host.size() - 2);
    if (host.isEmpty()) host = QStringLiteral("127.0.0.1");
    if (host == QLatin1String("localhost")) host = QStringLiteral("127.0.0.1");
    return address.setAddress(host);
}

TTeacherPage::TTeacherPage(TClassroomStore& store, TClassroomService& service, QString password)
    : store_(store), service_(service), password_(std::move(password)) {
    using Method = QHttpServerRequest::Method;
    server_.route("/", Method::Get, [this](const QHttpServerRequest& r) {
        if (!Allowed(r)) return QHttpServerResponse(Status::Unauthorized);
        return Guarded([&] { return Page(); });
    });
    server_.route("/state", Method::Get, [this](const QHttpServerRequest& r) {
        if (!Allowed(r)) return QHttpServerResponse(Status::Unauthorized);
        return Guarded([&] { return Json(State()); });
    });
    server_.route("/assign", Method::Post, [this](const QHttpServerRequest& r) {
        if (!Allowed(r)) return QHttpServerResponse(Status::Unauthorized);
        return Guarded([&] { return Assign(r); });
    });
    server_.route("/shut-down", Method::Post, [this](const QHttpServerRequest& r) {
        if (!Allowed(r)) return QHttpServerResponse(Status::Unauthorized);
        return Guarded([&] { return ShutDown(r); });
    });
    // The browser asks for the password when a request was refused for want of it.
    server_.afterRequest([](QHttpServerResponse&& response) {
        if (response.statusCode() == Status::Unauthorized)
            response.setHeader("WWW-Authenticate", "Basic realm=\"Tavolin classroom\", charset=\"UTF-8\"");
        response.setHeader("Cache-Control", "no-store");
        return std::move(response);
    });
}

QString TTeacherPage::Listen(const QHostAddress& address, quint16 port, QString& error) {
    const quint16 bound = server_.listen(address, port);
    if (bound == 0) {
        error = QStringLiteral("couldn't listen on %1:%2 (in use, or not an address of this computer)")
                    .arg(address.toString())
                    .arg(port);
        return QString();
    }
    const QString host = address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + address.toString() + "]"
                                                                             : address.toString();
    return QStringLiteral("http://%1:%2/").arg(host).arg(bound);
}

bool TTeacherPage::Allowed(const QHttpServerRequest& request) const {
    if (password_.isEmpty()) return true;
    const QByteArray header = request.value("Authorization");
    if (!header.startsWith("Basic ")) return false;
    const QByteArray pair = QByteArray::fromBase64(header.mid(6).trimmed());
    const qsizetype colon = pair.indexOf(':');
    return colon >= 0 && QString::fromUtf8(pair.mid(colon + 1)) == password_;
}

QHttpServerResponse TTeacherPage::Page() const {
    QFile file(QStringLiteral(":/classroom/TeacherPage.html"));
    if (!file.open(QIODevice::ReadOnly)) return Problem(QStringLiteral("the page is missing"), Status::InternalServerError);
    QByteArray html = file.readAll();
    // The first picture comes with the page, so a projector never shows it empty.
    QByteArray state = QJsonDocument(State()).toJson(QJsonDocument::Compact);
    state.replace("</", "<\\/");
    html.replace("/*STATE*/null", state);
    return QHttpServerResponse(QByteArrayLiteral("text/html; charset=utf-8"), html);
}

QJsonObject TTeacherPage::State() const {
    QJsonArray sessions, assignments;
    for (const TSessionView& s : store_.Sessions(StoreTime(kLiveSeconds), 8)) sessions.append(SessionJson(s));
    for (const auto& [computer, a] : store_.Assignments())
        assignments.append(QJsonObject{
            {"computer", computer}, {"learner", a.Learner}, {"content", a.ContentRoot}, {"target", a.Target}});
    QStringList computers = store_.Computers(StoreTime(kLiveSeconds));
    if (!computers.contains(service_.Computer())) computers.prepend(service_.Computer());
    return {{"computer", service_.Computer()},
            {"computers", QJsonArray::fromStringList(computers)},
            {"sessions", sessions},
            {"assignments", assignments},
            {"time", StoreTime()}};
}

QHttpServerResponse TTeacherPage::Assign(const QHttpServerRequest& request) {
    QJsonObject body;
    if (!ReadBody(request, body)) return Problem(QStringLiteral("send the assignment as JSON"), Status::BadRequest);
    const QString computer = body.value("computer").toString().trimmed();
    if (computer.isEmpty()) return Problem(QStringLiteral("name the computer"), Status::BadRequest);
    const TAssignment a{body.value("content").toString().trimmed(), body.value("target").toString().trimmed(),
                        body.value("learner").toString().trimmed()};
    store_.Assign(computer, a);
    return Json({{"ok", true}});
}

QHttpServerResponse TTeacherPage::ShutDown(const QHttpServerRequest& request) {
    QJsonObject body;
    if (!ReadBody(request, body) || !body.value("session").isDouble())
        return Problem(QStringLiteral("send {\"session\": number} as JSON"), Status::BadRequest);
    if (!service_.ShutDownSession(qint64(body.value("session").toDouble())))
        return Problem(QStringLiteral("that program is not signed in any more"), Status::NotFound);
    return Json({{"ok", true}});
}

} // namespace classroom
