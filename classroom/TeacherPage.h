#pragma once
// The teacher's live page: a small web server (Qt HTTP Server) showing who is
// signed in on which computer, the current activity, last and total scores
// and award levels, read from the records (so on a shared PostgreSQL server
// the whole class). The teacher can name the learner and content for a
// computer before its program starts, and ask a program to shut down.
//
//   GET  /            the page (refreshes itself every two seconds);
//                     /?token=SECRET opens a session and leads to /
//   GET  /state       the page's data as JSON
//   POST /assign      {"computer", "learner", "content", "target"} (JSON)
//   POST /shut-down   {"session"} (JSON)
//
// Every request needs one of: the session cookie the secret address gave,
// "Authorization: Bearer SECRET", or (with a password) HTTP basic
// authentication with any user name and that password. Requests are answered
// only when their Host names the page's own address, so a web site whose name
// points at this computer cannot read or drive the page; a POST must come
// from the page's own origin and carry JSON. Bodies over kBodyLimit are
// refused from their Content-Length, before anything else is read.
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QHttpServer>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

namespace classroom {

class TClassroomStore;
class TClassroomService;

// "ADDRESS:PORT", "ADDRESS" or ":PORT"; false when it cannot be read.
bool ParseListenAddress(const QString& text, QHostAddress& address, quint16& port);

// Where the page's secret is kept: in the teacher's configuration folder.
QString DefaultSecretFile();
// The secret kept in `file`; made (64 hex digits, the file mode 0600) when
// the file is missing or does not hold one. Empty with `error` set when the
// file cannot be read or written.
QString LoadOrMakeSecret(const QString& file, QString& error);
// The password in `file` (its first line, without the line end). Empty with
// `error` set when the file cannot be read, others may read or write it, or
// its first line is empty.
QString ReadPagePasswordFile(const QString& file, QString& error);

// JSON made safe inside a <script> element: <, >, & and the line and
// paragraph separators written as \u escapes, so no text in it can end the
// element or open a comment.
QByteArray ScriptSafeJson(const QByteArray& json);

class TTeacherPage {
public:
    // Largest request body taken, and largest request head (request line and headers).
    static constexpr qint64 kBodyLimit = 64 * 1024;
    static constexpr qint64 kHeadLimit = 16 * 1024;
    // Connections served at once, and how long one may send nothing.
    static constexpr int kMaxConnections = 64;
    static constexpr int kIdleMs = 30000;

    // `secret`: the key of the page's opening address; `password`: for other
    // computers (empty: none).
    TTeacherPage(TClassroomStore& store, TClassroomService& service, QString secret, QString password = {});

    // Starts listening; port 0 takes any free port. Returns the page's
    // address ("http://127.0.0.1:8470/"), or empty with `error` set.
    QString Listen(const QHostAddress& address, quint16 port, QString& error);
    // The address that opens the page with its key ("http://127.0.0.1:8470/?token=...").
    QString OpeningAddress() const;

    // The page's data: this computer, the computers seen lately, the open
    // and lately closed sessions, the teacher's assignments.
    QJsonObject State() const;

private:
    enum class TAccess { Granted, Missing, Wrong, Waiting };

    std::optional<QHttpServerResponse> Refusal(const QHttpServerRequest& request, bool post);
    bool HostAllowed(const QByteArray& host) const;
    TAccess Access(const QHttpServerRequest& request);
    bool CheckSecret(const QHttpServerRequest& request, const QByteArray& given, bool isPassword);
    QString Who(const QHttpServerRequest& request) const;
    bool MustWait(const QHttpServerRequest& request) const;
    QHttpServerResponse Denied(TAccess access, const QHttpServerRequest& request) const;
    QHttpServerResponse Open(const QHttpServerRequest& request);
    QHttpServerResponse Page() const;
    QHttpServerResponse Assign(const QHttpServerRequest& request);
    QHttpServerResponse ShutDown(const QHttpServerRequest& request);
    QByteArray CookieName() const;

    TClassroomStore& store_;
    TClassroomService& service_;
    QByteArray secret_;
    QByteArray password_;
    QHttpServer server_;
    quint16 port_ = 0;
    QString address_;
    QStringList hosts_; // lower-case host names and addresses the page answers to
    // Sessions opened with the secret, newest last; a bounded number kept.
    std::deque<QByteArray> sessions_;
    // Wrong keys or passwords per remote address: further tries are refused
    // unchecked until the wait is over, each failure doubling it.
    struct TFailures {
        int Count = 0;
        qint64 Until = 0;
    };
    QHash<QString, TFailures> failures_;
    QElapsedTimer clock_;
};

} // namespace classroom
