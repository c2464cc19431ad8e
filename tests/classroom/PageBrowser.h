#pragma once
// Headless Chromium showing one page, driven through its debugging protocol
// (a WebSocket on a free port of 127.0.0.1): the test reads what the page's
// script made of the document while the page goes on running.
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QWebSocket>

namespace tavtest {

class PageBrowser {
public:
    // `profile`: an empty folder for the browser's own files.
    PageBrowser(const QString& chromium, const QString& profile);
    ~PageBrowser();

    // Starts the browser on `url` and connects to its page; false (with
    // Problem() saying why) when that fails.
    bool Open(const QString& url);
    // The value of a JavaScript expression in the page (null when it fails).
    QJsonValue Evaluate(const QString& expression);
    // The page's text as the user sees it.
    QString Text() { return Evaluate(QStringLiteral("document.body ? document.body.innerText : ''")).toString(); }
    QString Problem() const { return problem_; }

private:
    QJsonObject Call(const QString& method, const QJsonObject& params);

    QString chromium_, profile_, problem_;
    QProcess browser_;
    QWebSocket socket_;
    int nextId_ = 1;
    QList<QJsonObject> answers_;
};

} // namespace tavtest
