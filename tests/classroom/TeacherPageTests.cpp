// The teacher's page of the real manager, looked at in headless Chromium (a
// real browser runs the page's script): a learner who signs in and the score
// they earn appear on it, and no text in the records stops the page. Assigning
// a learner to a computer, a shut-down from the page, the page's key and
// password, and what the page refuses go through plain HTTP requests.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <vector>

#include <sys/stat.h>

#include "../TestSupport.h"
#include "ManagerProcess.h"
#include "PageBrowser.h"
#include "TempPostgres.h"
#include "learners/ClassroomBus.h"
#include "learners/HubrellControlCOM.h"

using namespace tavtest;

namespace {

struct Answer {
    int Status = 0;
    QByteArray Head; // status line and headers
    QByteArray Body;
    QJsonObject Json() const { return QJsonDocument::fromJson(Body).object(); }
    // One header's value ("" when absent); names compared without regard to case.
    QByteArray Header(const QByteArray& name) const {
        for (const QByteArray& line : Head.split('\n')) {
            const qsizetype colon = line.indexOf(':');
            if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
                return line.mid(colon + 1).trimmed();
        }
        return {};
    }
};

// One request written as it goes on the wire, so the test decides every
// header (Host and Origin too); the answer is read to the end of its body,
// or of the connection.
Answer Raw(quint16 port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!socket.waitForConnected(5000)) return {};
    socket.write(request);
    QByteArray all;
    Answer a;
    const auto complete = [&] {
        const qsizetype end = all.indexOf("\r\n\r\n");
        if (end < 0) return false;
        a.Head = all.left(end);
        a.Body = all.mid(end + 4);
        const QByteArray length = a.Header("Content-Length");
        return !length.isEmpty() && a.Body.size() >= length.toLongLong();
    };
    WaitUntil([&] {
        all += socket.readAll();
        return complete() || socket.state() == QAbstractSocket::UnconnectedState;
    }, 10000 * kSlowdown);
    all += socket.readAll();
    complete();
    const QList<QByteArray> status = a.Head.left(a.Head.indexOf('\r')).split(' ');
    a.Status = status.size() > 1 ? status[1].toInt() : 0;
    return a;
}

// A request to the page at `port`: Host names the page unless `headers` gives one.
Answer Send(quint16 port, const QByteArray& method, const QByteArray& path, const QByteArray& headers = {},
            const QByteArray& body = {}) {
    QByteArray request = method + ' ' + path + " HTTP/1.1\r\n";
    if (!headers.toLower().contains("host:")) request += "Host: 127.0.0.1:" + QByteArray::number(port) + "\r\n";
    request += headers;
    if (!body.isNull()) request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    request += "Connection: close\r\n\r\n" + body;
    return Raw(port, request);
}

// A request through Qt's own HTTP client, with the page's key.
Answer Http(const QString& url, const QByteArray& authorization, const QByteArray& post = {}) {
    static QNetworkAccessManager net;
    QNetworkRequest request{QUrl(url)};
    if (!authorization.isEmpty()) request.setRawHeader("Authorization", authorization);
    QNetworkReply* reply;
    if (post.isNull()) {
        reply = net.get(request);
    } else {
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        reply = net.post(request, post);
    }
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), {}, reply->readAll()};
    reply->deleteLater();
    return a;
}

QByteArray Basic(const QByteArray& password) { return "Basic " + ("teacher:" + password).toBase64(); }

quint16 PortOf(const QString& page) { return quint16(QUrl(page).port()); }

// What the page's script writes (its own source, also in the DOM, spells the texts differently).
const QString kNobody = QStringLiteral("<div class=\"empty\">Nobody is signed in.</div>");

class TeacherPage : public ::testing::Test {
protected:
    TempFolder dir, browserProfile, config;
    QString database = QString::fromStdString(dir.File("classroom.sqlite"));
    QDBusConnection bus = ConnectToPrivateBus(QStringLiteral("program"));
    QString chromium = QStandardPaths::findExecutable("chromium");
    QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");

    // The managers started here keep the page's key in a folder of the test's own.
    TeacherPage() { qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path())); }
    ~TeacherPage() override {
        if (savedConfig.isNull()) qunsetenv("XDG_CONFIG_HOME");
        else qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    QString KeyFile() const { return QString::fromStdString(config.Path()) + "/Zandrel/Tavolin/teacher-page.key"; }
    QByteArray Key() const {
        QFile file(KeyFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    }
    QByteArray Bearer() const { return "Bearer " + Key(); }

    bool WaitForManager() {
        return WaitUntil([&] {
            return bus.interface()->isServiceRegistered(QLatin1String(tav::classroombus::kManagerService)).value();
        }, 30000); // a loaded machine (tests run two at a time) starts it slowly
    }
    // The page as the browser built it, after its script ran.
    QString BrowserDom(const QString& url) {
        QProcess browser;
        browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                                 "--user-data-dir=" + QString::fromStdString(browserProfile.Path()),
                                 "--virtual-time-budget=3000", "--dump-dom", url});
        if (!browser.waitForFinished(60000)) {
            browser.kill();
            browser.waitForFinished(2000);
            ADD_FAILURE() << "chromium did not finish";
        }
        return QString::fromUtf8(browser.readAllStandardOutput());
    }
};

TEST_F(TeacherPage, ShowsALearnerWhoSignsInAndTheScoreTheyEarn) {
    if (chromium.isEmpty()) GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
    ManagerProcess manager(database,
                           {"--teacher-page", "--learner", "Dana", "--target", "French", "--computer", "room-pc-1"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_TRUE(page.startsWith("http://127.0.0.1:")) << manager.Output().toStdString();
    // The browser opens the address with the key, and is led to the page.
    const QString open = page + "?token=" + QString::fromLatin1(Key());

    QString dom = BrowserDom(open);
    ASSERT_TRUE(dom.contains("Tavolin classroom")) << dom.toStdString();
    EXPECT_TRUE(dom.contains(kNobody)) << dom.toStdString();

    tav::THubrellControlWindow link(bus, {});
    ASSERT_TRUE(link.Connect());
    ASSERT_EQ(link.GetStudentInfo().LearnerName, "Dana");
    link.SendStartActivity(421);
    dom = BrowserDom(open);
    EXPECT_TRUE(dom.contains("data-learner=\"Dana\"")) << dom.toStdString();
    EXPECT_TRUE(dom.contains("data-field=\"activity\">Film quiz<"));
    EXPECT_TRUE(dom.contains("room-pc-1 · French"));
    EXPECT_FALSE(dom.contains(kNobody));

    link.SendEndActivity(421, 85);
    link.SendScore(310, 1);
    dom = BrowserDom(open);
    EXPECT_TRUE(dom.contains("<span class=\"value\" data-field=\"lastScore\">85</span>")) << dom.toStdString();
    EXPECT_TRUE(dom.contains("<span class=\"value\" data-field=\"total\">310</span>"));
    EXPECT_TRUE(dom.contains(">Bronze</span>"));
    EXPECT_TRUE(dom.contains("data-field=\"activity\">In the menus<"));

    // Closing moves the learner to the closed list.
    link.Disconnect(false);
    dom = BrowserDom(open);
    EXPECT_TRUE(dom.contains(kNobody));
    EXPECT_TRUE(dom.contains("<td>Dana</td><td>room-pc-1</td>")) << dom.toStdString();
}

// Texts that end a script element or open a comment in it, in every place
// the page shows: the page still draws its rows and goes on refreshing.
TEST_F(TeacherPage, TextsThatLookLikeMarkupDoNotStopThePage) {
    if (chromium.isEmpty()) GTEST_SKIP() << "chromium is not installed (scripts/install-deps installs it)";
    const QString odd = QStringLiteral("<!--<script>");
    ManagerProcess manager(database, {"--teacher-page", "--computer", "pc" + odd, "--learner", "Nell"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty()) << manager.Output().toStdString();
    const quint16 port = PortOf(page);
    const QByteArray json = "Content-Type: application/json\r\nAuthorization: " + Bearer() + "\r\n";
    ASSERT_EQ(Send(port, "POST", "/assign", json,
                   QJsonDocument(QJsonObject{{"computer", "room" + odd},
                                             {"learner", odd + "</script>&amp;"},
                                             {"content", "/discs/" + QString(QChar(0x2028)) + odd},
                                             {"target", "T" + QString(QChar(0x2029)) + odd}})
                       .toJson())
                  .Status,
              200);
    tav::THubrellControlWindow link(bus, {});
    ASSERT_TRUE(link.Connect());

    // The embedded picture holds no markup at all.
    const Answer html = Send(port, "GET", "/", "Authorization: " + Bearer() + "\r\n");
    ASSERT_EQ(html.Status, 200);
    const qsizetype at = html.Body.indexOf("<script id=\"state\" type=\"application/json\">");
    ASSERT_GE(at, 0);
    const QByteArray embedded = html.Body.mid(at, html.Body.indexOf("</script>", at) - at);
    EXPECT_TRUE(embedded.contains("\\u003c!--\\u003cscript\\u003e")) << embedded.toStdString();
    EXPECT_FALSE(embedded.contains("\xE2\x80\xA8")) << embedded.toStdString();
    EXPECT_TRUE(embedded.contains("\\u2028") && embedded.contains("\\u2029") && embedded.contains("\\u0026amp;"))
        << embedded.toStdString();

    PageBrowser browser(chromium, QString::fromStdString(browserProfile.Path()));
    ASSERT_TRUE(browser.Open(page + "?token=" + QString::fromLatin1(Key()))) << browser.Problem().toStdString();
    QString text;
    EXPECT_TRUE(WaitUntil([&] {
        text = browser.Text();
        return text.contains("1 learner · updated");
    }, 20000 * kSlowdown)) << text.toStdString();
    EXPECT_TRUE(text.contains("Nell")) << text.toStdString();
    EXPECT_TRUE(text.contains("pc" + odd)) << text.toStdString();
    EXPECT_EQ(browser.Evaluate("document.querySelectorAll('#assignments td').length").toInt(), 4);
    EXPECT_EQ(browser.Evaluate("document.querySelector('#assignments td:nth-child(2)').textContent").toString(),
              odd + "</script>&amp;");

    // What happens later shows up: the page keeps asking.
    link.SendStartActivity(421);
    EXPECT_TRUE(WaitUntil([&] {
        text = browser.Text();
        return text.contains("Film quiz");
    }, 20000 * kSlowdown)) << text.toStdString();
    EXPECT_EQ(browser.Evaluate("document.cookie").toString(), "") << "the session cookie is not for scripts";

    // The page's own form is taken (its origin, its session, JSON).
    browser.Evaluate("const f = document.getElementById('assign'); f.computer.value = 'pc-z'; "
                     "f.learner.value = 'Zoe'; f.requestSubmit(); 'sent'");
    EXPECT_TRUE(WaitUntil([&] {
        text = browser.Evaluate("document.getElementById('formMessage').textContent").toString();
        return !text.isEmpty();
    }, 10000 * kSlowdown));
    EXPECT_EQ(text, "The next program on pc-z starts for Zoe.");
    const QJsonArray assigned =
        Send(port, "GET", "/state", "Authorization: " + Bearer() + "\r\n").Json()["assignments"].toArray();
    EXPECT_TRUE(std::any_of(assigned.begin(), assigned.end(), [](const QJsonValue& a) {
        return a["computer"].toString() == "pc-z" && a["learner"].toString() == "Zoe";
    }));
}

TEST_F(TeacherPage, NamesTheLearnerForAComputerAndShutsAProgramDown) {
    ManagerProcess manager(database, {"--teacher-page", "--learner", "Nobody", "--computer", "room-pc-2"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty());
    const QByteArray key = Bearer();

    EXPECT_EQ(Http(page + "assign", key, R"({"computer": "room-pc-2", "learner": "Finn", "content": "/discs/film",
                                              "target": "German"})").Status, 200);
    EXPECT_EQ(Http(page + "assign", key, R"({"learner": "no computer"})").Status, 400);
    {
        // Only JSON is taken, so a form of another site cannot post here even
        // when its body reads as JSON.
        QNetworkAccessManager net;
        QNetworkRequest form{QUrl(page + "assign")};
        form.setRawHeader("Authorization", key);
        form.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        QNetworkReply* reply = net.post(form, R"({"computer": "room-pc-2", "learner": "Mallory"})");
        ASSERT_TRUE(WaitUntil([&] { return reply->isFinished(); }));
        EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 415);
    }
    const QJsonArray assigned = Http(page + "state", key).Json()["assignments"].toArray();
    ASSERT_EQ(assigned.size(), 1);
    EXPECT_EQ(assigned[0]["learner"].toString(), "Finn");

    int closes = 0;
    tav::THubrellHooks hooks;
    hooks.CloseMain = [&] { ++closes; };
    tav::THubrellControlWindow link(bus, hooks);
    ASSERT_TRUE(link.Connect());
    const tav::TStudentInfo info = link.GetStudentInfo();
    EXPECT_EQ(info.LearnerName, "Finn");
    EXPECT_EQ(info.ContentRoot, "/discs/film");
    EXPECT_EQ(info.TargetFolderName, "German");
    const QJsonObject state = Http(page + "state", key).Json();
    EXPECT_TRUE(state["assignments"].toArray().isEmpty()) << "taken by the program that signed in";
    const QJsonArray sessions = state["sessions"].toArray();
    ASSERT_EQ(sessions.size(), 1);
    EXPECT_EQ(sessions[0]["learner"].toString(), "Finn");
    const QByteArray body = "{\"session\": " + QByteArray::number(sessions[0]["session"].toInteger()) + "}";

    // Without the key, or with a wrong one, nothing is shut down.
    const quint16 port = PortOf(page);
    EXPECT_EQ(Send(port, "POST", "/shut-down", "Content-Type: application/json\r\n", body).Status, 401);
    EXPECT_EQ(Send(port, "POST", "/shut-down",
                   "Content-Type: application/json\r\nAuthorization: Bearer " + QByteArray(64, 'a') + "\r\n", body)
                  .Status,
              401);
    EXPECT_EQ(Send(port, "POST", "/shut-down", "Content-Type: application/json\r\nCookie: tavolin-page-" +
                                                   QByteArray::number(port) + "=" + Key() + "\r\n",
                   body)
                  .Status,
              401)
        << "the key is not a session";
    QCoreApplication::processEvents();
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(link.Connected);
    // After a wrong key the right one waits a moment.
    ASSERT_TRUE(WaitUntil([&] { return Http(page + "state", key).Status == 200; }, 10000));

    // The manager calls the program, whose object answers from this event loop.
    QNetworkAccessManager async;
    QNetworkRequest request{QUrl(page + "shut-down")};
    request.setRawHeader("Authorization", key);
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QNetworkReply* reply = async.post(request, body);
    ASSERT_TRUE(WaitUntil([&] { return closes == 1 && reply->isFinished(); }, 10000));
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    EXPECT_FALSE(link.Connected);
    EXPECT_EQ(Http(page + "shut-down", key, body).Status, 404) << "not signed in any more";
    reply->deleteLater();
}

// Two classroom computers (two desktop buses) sharing one database: the page
// of one shows the other's learner and shuts that program down.
TEST_F(TeacherPage, ReachesAProgramOnAnotherComputerThroughTheRecords) {
    QProcess otherDesktop;
    otherDesktop.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    ASSERT_TRUE(otherDesktop.waitForReadyRead(5000));
    const QString otherBus = QString::fromUtf8(otherDesktop.readLine()).trimmed();
    struct Stop {
        QProcess& p;
        ~Stop() { p.kill(); p.waitForFinished(2000); }
    } stop{otherDesktop};

    ManagerProcess here(database, {"--teacher-page", "--computer", "pc-a"});
    ASSERT_TRUE(WaitForManager());
    const QString page = here.PageAddress();
    const QByteArray key = Bearer();
    ManagerProcess there(database, {"--computer", "pc-b", "--learner", "Gus", "--no-page"}, otherBus);
    QDBusConnection farBus = QDBusConnection::connectToBus(otherBus, "far program");
    ASSERT_TRUE(WaitUntil([&] {
        return farBus.interface()->isServiceRegistered(QLatin1String(tav::classroombus::kManagerService)).value();
    }, 10000));
    int closes = 0;
    tav::THubrellHooks hooks;
    hooks.CloseMain = [&] { ++closes; };
    {
        tav::THubrellControlWindow link(farBus, hooks);
        ASSERT_TRUE(link.Connect());
        EXPECT_EQ(link.GetStudentInfo().LearnerName, "Gus");
        QJsonArray sessions;
        ASSERT_TRUE(WaitUntil([&] {
            sessions = Http(page + "state", key).Json()["sessions"].toArray();
            return sessions.size() == 1;
        }));
        EXPECT_EQ(sessions.at(0)["computer"].toString(), "pc-b");
        EXPECT_TRUE(Http(page + "state", key).Json()["computers"].toArray().contains(QJsonValue("pc-b")));
        const QByteArray body = "{\"session\": " + QByteArray::number(sessions.at(0)["session"].toInteger()) + "}";
        EXPECT_EQ(Http(page + "shut-down", key, body).Status, 200);
        // That computer's manager looks for requests every second.
        EXPECT_TRUE(WaitUntil([&] { return closes == 1; }, 10000));
        EXPECT_FALSE(link.Connected);
    }
    QDBusConnection::disconnectFromBus("far program");
}

// Only the teacher's computer serves the page; its key is made once, kept
// for the teacher alone, and opens a session through an address that carries it.
TEST_F(TeacherPage, ServedOnlyWhereAskedAndOpenedWithItsKey) {
    {
        ManagerProcess learnerComputer(database, {});
        ASSERT_TRUE(WaitForManager());
        ASSERT_TRUE(WaitUntil([&] { return learnerComputer.Output().contains("serving"); }, 10000));
        EXPECT_FALSE(learnerComputer.Output().contains("teacher's page at")) << learnerComputer.Output().toStdString();
        EXPECT_FALSE(QFileInfo::exists(KeyFile()));
    }
    ASSERT_TRUE(WaitUntil([&] {
        return !bus.interface()->isServiceRegistered(QLatin1String(tav::classroombus::kManagerService)).value();
    }, 10000));

    QByteArray key;
    {
        ManagerProcess teacher(database, {"--teacher-page"});
        ASSERT_TRUE(WaitForManager());
        const QString page = teacher.PageAddress();
        ASSERT_FALSE(page.isEmpty());
        key = Key();
        ASSERT_EQ(key.size(), 64);
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(KeyFile()).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        ASSERT_TRUE(WaitUntil([&] { return teacher.Output().contains("?token=" + key); }, 5000))
            << "the address that opens the page is printed";

        const quint16 port = PortOf(page);
        const Answer none = Send(port, "GET", "/");
        EXPECT_EQ(none.Status, 401);
        EXPECT_TRUE(none.Header("WWW-Authenticate").isEmpty()) << "no password to ask for";
        EXPECT_EQ(Send(port, "GET", "/state").Status, 401);

        const Answer opened = Send(port, "GET", "/?token=" + key);
        EXPECT_EQ(opened.Status, 303);
        EXPECT_EQ(opened.Header("Location"), "/");
        const QByteArray cookie = opened.Header("Set-Cookie");
        EXPECT_TRUE(cookie.contains("HttpOnly")) << cookie.toStdString();
        EXPECT_TRUE(cookie.contains("SameSite=Strict")) << cookie.toStdString();
        EXPECT_FALSE(cookie.contains(key)) << "the session is not the key";
        const QByteArray session = cookie.left(cookie.indexOf(';'));
        const Answer state = Send(port, "GET", "/state", "Cookie: other=1; " + session + "\r\n");
        EXPECT_EQ(state.Status, 200);
        EXPECT_TRUE(state.Json().contains("sessions"));
        EXPECT_EQ(Send(port, "GET", "/state", "Cookie: " + session + "x\r\n").Status, 401);
        EXPECT_EQ(Send(port, "GET", "/?token=" + QByteArray(64, '0')).Status, 401);
        EXPECT_EQ(Send(port, "GET", "/state", "Cookie: " + session + "\r\n").Status, 200)
            << "a wrong key makes the key wait, not the sessions";
    }
    ASSERT_TRUE(WaitUntil([&] {
        return !bus.interface()->isServiceRegistered(QLatin1String(tav::classroombus::kManagerService)).value();
    }, 10000));
    ManagerProcess again(database, {"--teacher-page"});
    ASSERT_TRUE(WaitForManager());
    ASSERT_FALSE(again.PageAddress().isEmpty());
    EXPECT_EQ(Key(), key) << "the same key on the next start";
}

// A web site whose name is made to point at this computer, or a page of
// another site in the teacher's browser, gets nothing and changes nothing.
TEST_F(TeacherPage, AnswersOnlyItsOwnAddressAndOrigin) {
    ManagerProcess manager(database, {"--teacher-page", "--learner", "Secret Sam", "--computer", "pc-c"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty());
    const quint16 port = PortOf(page);
    const QByteArray here = "127.0.0.1:" + QByteArray::number(port);
    const QByteArray key = "Authorization: " + Bearer() + "\r\n";
    tav::THubrellControlWindow link(bus, {});
    ASSERT_TRUE(link.Connect());

    const Answer elsewhere = Send(port, "GET", "/state", "Host: evil.example\r\n" + key);
    EXPECT_EQ(elsewhere.Status, 403);
    EXPECT_FALSE(elsewhere.Body.contains("Secret Sam"));
    EXPECT_EQ(Send(port, "GET", "/", "Host: evil.example:" + QByteArray::number(port) + "\r\n" + key).Status, 403);
    EXPECT_EQ(Send(port, "GET", "/state", "Host: 127.0.0.1:1\r\n" + key).Status, 403) << "another port";
    EXPECT_EQ(Send(port, "GET", "/state", "Host: " + here + "\r\nHost: evil.example\r\n" + key).Status, 403);
    EXPECT_EQ(Send(port, "GET", "/state", "Host: LOCALHOST:" + QByteArray::number(port) + "\r\n" + key).Status, 200);
    EXPECT_EQ(Send(port, "GET", "/state", "Host: [::1]:" + QByteArray::number(port) + "\r\n" + key).Status, 200);

    const QByteArray assign = R"({"computer": "pc-c", "learner": "Eve", "content": "/tmp/evil", "target": "x"})";
    const QByteArray json = "Content-Type: application/json\r\n" + key;
    EXPECT_EQ(Send(port, "POST", "/assign", "Host: evil.example\r\n" + json, assign).Status, 403);
    EXPECT_EQ(Send(port, "POST", "/assign", "Origin: http://evil.example\r\n" + json, assign).Status, 403);
    EXPECT_EQ(Send(port, "POST", "/assign", "Origin: null\r\n" + json, assign).Status, 403);
    EXPECT_EQ(Send(port, "POST", "/assign", "Origin: http://" + here + "\r\nSec-Fetch-Site: cross-site\r\n" + json,
                   assign)
                  .Status,
              403);
    const QJsonObject state = Send(port, "GET", "/state", key).Json();
    EXPECT_TRUE(state["assignments"].toArray().isEmpty());
    EXPECT_EQ(Send(port, "POST", "/assign", "Origin: http://" + here + "\r\nSec-Fetch-Site: same-origin\r\n" + json,
                   assign)
                  .Status,
              200)
        << "the page's own origin";

    // Never inside another site's frame, never read as another type, no
    // error text of the records.
    const Answer html = Send(port, "GET", "/", key);
    ASSERT_EQ(html.Status, 200);
    EXPECT_TRUE(html.Header("Content-Security-Policy").contains("frame-ancestors 'none'"));
    EXPECT_EQ(html.Header("X-Frame-Options"), "DENY");
    EXPECT_EQ(html.Header("X-Content-Type-Options"), "nosniff");
    EXPECT_TRUE(html.Header("Content-Security-Policy").contains("script-src 'nonce-"));
    EXPECT_TRUE(elsewhere.Header("Content-Security-Policy").contains("frame-ancestors 'none'"));
}

TEST_F(TeacherPage, TakesOnlyJsonAssignmentsAndSessionNumbersItCanUse) {
    ManagerProcess manager(database, {"--teacher-page", "--computer", "pc-d"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty());
    const quint16 port = PortOf(page);
    const QByteArray key = "Authorization: " + Bearer() + "\r\n";
    const QByteArray assign = R"({"computer": "pc-d", "learner": "Mia"})";
    const auto post = [&](const QByteArray& path, const QByteArray& type, const QByteArray& body) {
        return Send(port, "POST", path, "Content-Type: " + type + "\r\n" + key, body).Status;
    };
    // A form or a "simple" request of another site sends these types without asking first.
    EXPECT_EQ(post("/assign", "text/plain", assign), 415);
    EXPECT_EQ(post("/assign", "text/plain; charset=utf-8", assign), 415);
    EXPECT_EQ(post("/assign", "application/x-www-form-urlencoded", assign), 415);
    EXPECT_EQ(post("/assign", "multipart/form-data; boundary=x", assign), 415);
    EXPECT_EQ(post("/assign", "application/jsonp", assign), 415);
    EXPECT_EQ(post("/assign", "application/json; charset=latin1", assign), 415);
    EXPECT_EQ(Send(port, "GET", "/state", key).Json()["assignments"].toArray().size(), 0);
    EXPECT_EQ(post("/assign", "APPLICATION/JSON; charset=\"UTF-8\"", assign), 200);

    // A target is one folder name; content is a full path.
    EXPECT_EQ(post("/assign", "application/json", R"({"computer": "pc-d", "learner": "M", "target": "../../etc"})"), 400);
    EXPECT_EQ(post("/assign", "application/json", R"({"computer": "pc-d", "learner": "M", "target": ".."})"), 400);
    EXPECT_EQ(post("/assign", "application/json", R"({"computer": "pc-d", "learner": "M", "target": "a\\b"})"), 400);
    EXPECT_EQ(post("/assign", "application/json", R"({"computer": "pc-d", "learner": "M", "content": "discs"})"), 400);
    EXPECT_EQ(post("/assign", "application/json", R"({"computer": "pc-d", "learner": "M\u0007"})"), 400);
    const QJsonArray assigned = Send(port, "GET", "/state", key).Json()["assignments"].toArray();
    ASSERT_EQ(assigned.size(), 1);
    EXPECT_EQ(assigned[0]["learner"].toString(), "Mia");

    for (const QByteArray number : {"1e300", "-1e300", "1.5", "-1", "9007199254740993e3", "\"3\"", "null", "true"})
        EXPECT_EQ(post("/shut-down", "application/json", "{\"session\": " + number + "}"), 400) << number.toStdString();
    EXPECT_EQ(post("/shut-down", "application/json", R"({"session": 123456})"), 404);
    EXPECT_EQ(post("/shut-down", "text/plain", R"({"session": 123456})"), 415);
}

// The records' server going away: the page says so in its own words, and
// what the database driver said stays in the manager's output.
TEST_F(TeacherPage, KeepsTheRecordsErrorsToItself) {
    QString reason;
    std::unique_ptr<TempPostgres> server = TempPostgres::Launch(false, reason);
    if (!server) GTEST_SKIP() << "PostgreSQL test skipped: " << reason.toStdString();
    const classroom::TDatabaseAddress address = server->NewDatabase();
    const QString url = QStringLiteral("postgresql://tavolin@127.0.0.1:%1/%2").arg(address.Port).arg(address.Name);
    ManagerProcess manager(url, {"--teacher-page", "--computer", "pc-f"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty()) << manager.Output().toStdString();
    const quint16 port = PortOf(page);
    const QByteArray key = "Authorization: " + Bearer() + "\r\n";
    ASSERT_EQ(Send(port, "GET", "/state", key).Status, 200);

    ASSERT_TRUE(server->Stop());
    for (const QByteArray path : {"/state", "/"}) {
        const Answer failed = Send(port, "GET", path, key);
        EXPECT_EQ(failed.Status, 500) << path.toStdString();
        EXPECT_EQ(failed.Json()["error"].toString(),
                  "the records could not be read or written (the manager's output says why)")
            << failed.Body.toStdString();
    }
    const Answer assign = Send(port, "POST", "/assign", "Content-Type: application/json\r\n" + key,
                               R"({"computer": "pc-f", "learner": "Ivo"})");
    EXPECT_EQ(assign.Status, 500);
    EXPECT_FALSE(assign.Body.contains(QByteArray::number(address.Port))) << assign.Body.toStdString();
    EXPECT_FALSE(assign.Body.toLower().contains("connection")) << assign.Body.toStdString();
}

// Bodies over the limit are refused from their declared length, before the
// key or password is looked at, and the manager's memory stays where it was.
TEST_F(TeacherPage, RefusesALargeBodyBeforeReadingIt) {
    ManagerProcess manager(database, {"--teacher-page"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty());
    const quint16 port = PortOf(page);
    // The most resident memory the manager has had.
    const auto peak = [&] {
        QFile status(QStringLiteral("/proc/%1/status").arg(manager.process.processId()));
        if (!status.open(QIODevice::ReadOnly)) return qint64(-1);
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').first().toLongLong();
        return qint64(-1);
    };
    const qint64 before = peak();
    ASSERT_GT(before, 0);

    // 300 MB announced and sent as fast as the manager takes it.
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write("POST /assign HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                 "\r\nContent-Type: application/json\r\nContent-Length: 300000000\r\n\r\n");
    const QByteArray chunk(1 << 20, 'x');
    QByteArray answer;
    qint64 sent = 0;
    WaitUntil([&] {
        if (socket.state() == QAbstractSocket::ConnectedState && socket.bytesToWrite() < chunk.size() &&
            sent < 300000000) {
            socket.write(chunk);
            sent += chunk.size();
        }
        answer += socket.readAll();
        return socket.state() == QAbstractSocket::UnconnectedState;
    }, 20000 * kSlowdown);
    answer += socket.readAll();
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 413 ")) << answer.left(200).toStdString();
    EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState) << "the connection is closed";
    EXPECT_LT(sent, 100000000) << "the manager stopped taking the body";
    EXPECT_LT(peak() - before, 20 * 1024) << "kB more resident memory at the peak";

    // No length but a chunked body, and headers that never end, are refused too.
    EXPECT_EQ(Raw(port, "POST /assign HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                            "\r\nTransfer-Encoding: chunked\r\n\r\n10\r\n")
                  .Status,
              411);
    EXPECT_EQ(Raw(port, "GET /state HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Long: " + QByteArray(20000, 'a')).Status, 431);
    EXPECT_EQ(Send(port, "POST", "/assign", "Content-Type: application/json\r\n", QByteArray(65 * 1024, ' ')).Status,
              413);

    // Up to the limit, one connection carries request after request.
    QTcpSocket keep;
    keep.connectToHost(QStringLiteral("127.0.0.1"), port);
    ASSERT_TRUE(keep.waitForConnected(5000));
    const QByteArray body = R"({"computer": "pc-e", "learner": "Ola", "padding": ")" + QByteArray(60000, 'p') + "\"}";
    int answered = 0;
    QByteArray replies;
    for (int i = 0; i < 5; ++i)
        keep.write("POST /assign HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                   "\r\nContent-Type: application/json\r\nAuthorization: " + Bearer() +
                   "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    WaitUntil([&] {
        replies += keep.readAll();
        answered = int(replies.count("HTTP/1.1 200 OK"));
        return answered == 5 || keep.state() != QAbstractSocket::ConnectedState;
    }, 10000 * kSlowdown);
    EXPECT_EQ(answered, 5) << replies.right(400).toStdString();
}

// Connections that send nothing cannot take more than the page's places, and
// the places come back when they close.
TEST_F(TeacherPage, HoldsAtMostItsConnectionsAtOnce) {
    ManagerProcess manager(database, {"--teacher-page"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty());
    const quint16 port = PortOf(page);
    const QByteArray key = "Authorization: " + Bearer() + "\r\n";
    std::vector<std::unique_ptr<QTcpSocket>> crowd;
    for (int i = 0; i < 64; ++i) {
        crowd.push_back(std::make_unique<QTcpSocket>());
        crowd.back()->connectToHost(QStringLiteral("127.0.0.1"), port);
        ASSERT_TRUE(crowd.back()->waitForConnected(5000));
    }
    // The manager has taken them all before the next one comes.
    ASSERT_TRUE(WaitUntil([&] {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), port);
        return probe.waitForConnected(5000) && !probe.waitForReadyRead(200) &&
               probe.state() == QAbstractSocket::UnconnectedState;
    }, 10000 * kSlowdown)) << "one more connection is closed at once";
    EXPECT_EQ(Send(port, "GET", "/state", key).Status, 0);
    crowd.clear();
    Answer after;
    EXPECT_TRUE(WaitUntil([&] {
        after = Send(port, "GET", "/state", key);
        return after.Status == 200;
    }, 10000 * kSlowdown)) << after.Status;
}

// The page's password comes from a file or the environment, never from the
// command line, and nothing the manager prints or answers contains it.
TEST_F(TeacherPage, AsksForThePasswordFromAFileOrTheEnvironmentAndNeverShowsIt) {
    const QByteArray word = "blue-sky-7Qx";
    const QString file = QString::fromStdString(dir.File("page-password"));
    WriteFile(file.toStdString(), word.toStdString() + "\n");
    const auto run = [&](const QStringList& args, const QByteArray& environment = {}) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", PrivateBusAddress());
        if (!environment.isEmpty()) env.insert("TAVOLIN_PAGE_PASSWORD", QString::fromUtf8(environment));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(TAVOLIN_CLASSROOM, QStringList{"--database", database} + args);
        return p;
    };
    const auto stop = [](QProcess& p) {
        p.terminate();
        if (!p.waitForFinished(5000)) p.kill();
        p.waitForFinished(3000);
    };
    QByteArray printed;

    // A file others can read is refused until it is made private.
    {
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0644), 0);
        auto shared = run({"--teacher-page", "--password-file", file});
        ASSERT_TRUE(shared->waitForFinished(10000));
        EXPECT_EQ(shared->exitCode(), 2);
        const QByteArray said = shared->readAll();
        EXPECT_TRUE(said.contains("chmod 600")) << said.toStdString();
        printed += said;
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0600), 0);
    }
    // On the command line it is refused, and not repeated.
    {
        auto refused = run({"--teacher-page", "--password", QString::fromUtf8(word)});
        ASSERT_TRUE(refused->waitForFinished(10000));
        EXPECT_EQ(refused->exitCode(), 2);
        const QByteArray said = refused->readAll();
        EXPECT_TRUE(said.contains("--password-file")) << said.toStdString();
        printed += said;
    }
    // A page other computers can reach needs one.
    {
        auto open = run({"--teacher-page", "--listen", "0.0.0.0:0"});
        ASSERT_TRUE(open->waitForFinished(10000));
        EXPECT_EQ(open->exitCode(), 2);
    }
    for (const bool fromFile : {true, false}) {
        auto manager = fromFile ? run({"--teacher-page", "--listen", "127.0.0.1:0", "--password-file", file})
                                : run({"--teacher-page", "--listen", "127.0.0.1:0"}, word);
        ASSERT_TRUE(WaitForManager());
        QByteArray said;
        ASSERT_TRUE(WaitUntil([&] {
            said += manager->readAll();
            return said.contains("open it on this computer with");
        }, 10000)) << said.toStdString();
        const qsizetype at = said.indexOf("teacher's page at ") + 18;
        const QString page = QString::fromUtf8(said.mid(at, said.indexOf('\n', at) - at)).trimmed();
        const quint16 port = PortOf(page);

        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(manager->processId()));
        ASSERT_TRUE(cmdline.open(QIODevice::ReadOnly));
        EXPECT_FALSE(cmdline.readAll().contains(word));

        const Answer ask = Send(port, "GET", "/");
        EXPECT_EQ(ask.Status, 401);
        EXPECT_TRUE(ask.Header("WWW-Authenticate").startsWith("Basic ")) << "the browser asks for the password";
        const Answer wrong = Send(port, "GET", "/state", "Authorization: " + Basic(word + "x") + "\r\n");
        EXPECT_EQ(wrong.Status, 401);
        // Right after a wrong try the address waits; then the password opens the page.
        QElapsedTimer since;
        since.start();
        const Answer soon = Send(port, "GET", "/state", "Authorization: " + Basic(word) + "\r\n");
        if (since.elapsed() < 900) {
            EXPECT_EQ(soon.Status, 429);
        }
        Answer in;
        EXPECT_TRUE(WaitUntil([&] {
            in = Send(port, "GET", "/", "Authorization: " + Basic(word) + "\r\n");
            return in.Status == 200;
        }, 10000)) << in.Status;
        EXPECT_TRUE(in.Body.contains("Tavolin classroom"));
        for (const Answer& a : {ask, wrong, soon, in}) EXPECT_FALSE((a.Head + a.Body).contains(word));
        stop(*manager);
        printed += said + manager->readAll();
        ASSERT_TRUE(WaitUntil([&] {
            return !bus.interface()->isServiceRegistered(QLatin1String(tav::classroombus::kManagerService)).value();
        }, 10000));
    }
    EXPECT_FALSE(printed.contains(word)) << printed.toStdString();
}

} // namespace
