#pragma once
// The teacher's live page: a small web server (Qt HTTP Server) showing who is
// signed in on which computer, the current activity, last and total scores
// and award levels, read from the records (so on a shared PostgreSQL server
// the whole class). The teacher can name the learner and content for a
// computer before its program starts, and ask a program to shut down.
//
//   GET  /            the page (refreshes itself every two seconds)
//   GET  /state       the page's data as JSON
//   POST /assign      {"computer", "learner", "content", "target"} (JSON)
//   POST /shut-down   {"session"} (JSON)
//
// With a password every request needs HTTP basic authentication (any user
// name, that password).
#include <QHostAddress>
#include <QHttpServer>
#include <QJsonObject>
#include <QString>

namespace classroom {

class TClassroomStore;
class TClassroomService;

// "ADDRESS:PORT", "ADDRESS" or ":PORT"; false when it cannot be read.
bool ParseListenAddress(const QString& text, QHostAddress& address, quint16& port);

class TTeacherPage {
public:
    TTeacherPage(TClassroomStore& store, TClassroomService& service, QString password);

    // Starts listening; port 0 takes any free port. Returns the page's
    // address ("http://127.0.0.1:8470/"), or empty with `error` set.
    QString Listen(const QHostAddress& address, quint16 port, QString& error);

    // The page's data: this computer, the computers seen lately, the open
    // and lately closed sessions, the teacher's assignments.
    QJsonObject State() const;

private:
    bool Allowed(const QHttpServerRequest& request) const;
    QHttpServerResponse Page() const;
    QHttpServerResponse Assign(const QHttpServerRequest& request);
    QHttpServerResponse ShutDown(const QHttpServerRequest& request);

    TClassroomStore& store_;
    TClassroomService& service_;
    QString password_;
    QHttpServer server_;
};

} // namespace classroom
