#include "PageBrowser.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QTimer>

#include "../TestSupport.h"

namespace tavtest {

PageBrowser::PageBrowser(const QString& chromium, const QString& profile) : chromium_(chromium), profile_(profile) {
    QObject::connect(&socket_, &QWebSocket::textMessageReceived, [this](const QString& text) {
        const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
        if (message.contains("id")) answers_.append(message);
    });
}

PageBrowser::~PageBrowser() {
    socket_.abort();
    if (browser_.state() != QProcess::NotRunning) {
        browser_.kill();
        browser_.waitForFinished(5000);
    }
}

bool PageBrowser::Open(const QString& url) {
    browser_.setProcessChannelMode(QProcess::SeparateChannels);
    browser_.start(chromium_, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                               "--disable-background-networking", "--disable-component-update", "--disable-sync",
                               "--user-data-dir=" + profile_, "--remote-debugging-port=0", url});
    if (!browser_.waitForStarted(10000)) {
        problem_ = "chromium did not start";
        return false;
    }
    // "DevTools listening on ws://127.0.0.1:PORT/devtools/browser/..."
    QByteArray said;
    const QRegularExpression listening(QStringLiteral("DevTools listening on ws://127\\.0\\.0\\.1:(\\d+)/"));
    QRegularExpressionMatch match;
    const bool heard = WaitUntil([&] {
        said += browser_.readAllStandardError();
        match = listening.match(QString::fromUtf8(said));
        return match.hasMatch() || browser_.state() == QProcess::NotRunning;
    }, 30000 * kSlowdown);
    if (!heard || !match.hasMatch()) {
        problem_ = "chromium gave no debugging address: " + QString::fromUtf8(said);
        return false;
    }
    const QString port = match.captured(1);

    // The page's own debugging address.
    QNetworkAccessManager net;
    QString pageSocket;
    WaitUntil([&] {
        QNetworkReply* reply = net.get(QNetworkRequest(QUrl("http://127.0.0.1:" + port + "/json/list")));
        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        loop.exec();
        for (const QJsonValue& target : QJsonDocument::fromJson(reply->readAll()).array())
            if (target["type"].toString() == "page") pageSocket = target["webSocketDebuggerUrl"].toString();
        reply->deleteLater();
        return !pageSocket.isEmpty();
    }, 10000 * kSlowdown);
    if (pageSocket.isEmpty()) {
        problem_ = "chromium listed no page";
        return false;
    }
    socket_.open(QUrl(pageSocket));
    if (!WaitUntil([&] { return socket_.state() == QAbstractSocket::ConnectedState; }, 10000 * kSlowdown)) {
        problem_ = "couldn't connect to the page: " + socket_.errorString();
        return false;
    }
    return true;
}

QJsonObject PageBrowser::Call(const QString& method, const QJsonObject& params) {
    const int id = nextId_++;
    socket_.sendTextMessage(QString::fromUtf8(
        QJsonDocument(QJsonObject{{"id", id}, {"method", method}, {"params", params}}).toJson(QJsonDocument::Compact)));
    QJsonObject answer;
    WaitUntil([&] {
        for (qsizetype i = 0; i < answers_.size(); ++i)
            if (answers_[i]["id"].toInt() == id) {
                answer = answers_.takeAt(i);
                return true;
            }
        return socket_.state() != QAbstractSocket::ConnectedState;
    }, 10000 * kSlowdown);
    return answer;
}

QJsonValue PageBrowser::Evaluate(const QString& expression) {
    const QJsonObject answer = Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}});
    return answer["result"].toObject()["result"].toObject()["value"];
}

} // namespace tavtest
