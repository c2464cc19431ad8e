// The teacher's page of the real manager, looked at in headless Chromium (a
// real browser runs the page's script): a learner who signs in and the score
// they earn appear on it. Assigning a learner to a computer, a shut-down from
// the page and the password go through plain HTTP requests.
#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>

#include "../TestSupport.h"
#include "ManagerProcess.h"
#include "learners/ClassroomBus.h"
#include "learners/HubrellControlCOM.h"

using namespace tavtest;

namespace {

struct Answer {
    int Status = 0;
    QByteArray Body;
    QJsonObject Json() const { return QJsonDocument::fromJson(Body).object(); }
};

Answer Http(const QString& url, const QByteArray& post = {}, const QByteArray& auth = {}) {
    static QNetworkAccessManager net;
    QNetworkRequest request{QUrl(url)};
    if (!auth.isEmpty()) request.setRawHeader("Authorization", "Basic " + auth.toBase64());
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
    Answer a{reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
    reply->deleteLater();
    return a;
}

// What the page's script writes (its own source, also in the DOM, spells the texts differently).
const QString kNobody = QStringLiteral("<div class=\"empty\">Nobody is signed in.</div>");

class TeacherPage : public ::testing::Test {
protected:
    TempFolder dir, browserProfile;
    QString database = QString::fromStdString(dir.File("classroom.sqlite"));
    QDBusConnection bus = ConnectToPrivateBus(QStringLiteral("program"));
    QString chromium = QStandardPaths::findExecutable("chromium");

    bool WaitForManager() {
        return WaitUntil([&] {
            return bus.interface()->isServiceRegistered(QLatin1String(tav::classroombus::kManagerService)).value();
        }, 10000);
    }
    // The page as the browser built it, after its script ran.
    QString BrowserDom(const QString& url) {
        QProcess browser;
        browser.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
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
    ManagerProcess manager(database, {"--learner", "Dana", "--target", "French", "--computer", "room-pc-1"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_TRUE(page.startsWith("http://127.0.0.1:")) << manager.Output().toStdString();

    QString dom = BrowserDom(page);
    ASSERT_TRUE(dom.contains("Tavolin classroom")) << dom.toStdString();
    EXPECT_TRUE(dom.contains(kNobody)) << dom.toStdString();

    tav::THubrellControlWindow link(bus, {});
    ASSERT_TRUE(link.Connect());
    ASSERT_EQ(link.GetStudentInfo().LearnerName, "Dana");
    link.SendStartActivity(421);
    dom = BrowserDom(page);
    EXPECT_TRUE(dom.contains("data-learner=\"Dana\"")) << dom.toStdString();
    EXPECT_TRUE(dom.contains("data-field=\"activity\">Film quiz<"));
    EXPECT_TRUE(dom.contains("room-pc-1 · French"));
    EXPECT_FALSE(dom.contains(kNobody));

    link.SendEndActivity(421, 85);
    link.SendScore(185, 1);
    dom = BrowserDom(page);
    EXPECT_TRUE(dom.contains("<span class=\"value\" data-field=\"lastScore\">85</span>")) << dom.toStdString();
    EXPECT_TRUE(dom.contains("<span class=\"value\" data-field=\"total\">185</span>"));
    EXPECT_TRUE(dom.contains(">Bronze</span>"));
    EXPECT_TRUE(dom.contains("data-field=\"activity\">In the menus<"));

    // Closing moves the learner to the closed list.
    link.Disconnect(false);
    dom = BrowserDom(page);
    EXPECT_TRUE(dom.contains(kNobody));
    EXPECT_TRUE(dom.contains("<td>Dana</td><td>room-pc-1</td>")) << dom.toStdString();
}

TEST_F(TeacherPage, NamesTheLearnerForAComputerAndShutsAProgramDown) {
    ManagerProcess manager(database, {"--learner", "Nobody", "--computer", "room-pc-2"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty());

    EXPECT_EQ(Http(page + "assign", R"({"computer": "room-pc-2", "learner": "Finn", "content": "/discs/film",
                                         "target": "German"})").Status, 200);
    EXPECT_EQ(Http(page + "assign", R"({"learner": "no computer"})").Status, 400);
    {
        // Only JSON is taken, so a form of another site cannot post here.
        QNetworkAccessManager net;
        QNetworkRequest form{QUrl(page + "assign")};
        form.setHeader(QNetworkRequest::ContentTypeHeader, "application/x-www-form-urlencoded");
        QNetworkReply* reply = net.post(form, "computer=room-pc-2&learner=Mallory");
        ASSERT_TRUE(WaitUntil([&] { return reply->isFinished(); }));
        EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 400);
    }
    EXPECT_EQ(Http(page + "state").Json()["assignments"].toArray().size(), 1);

    int closes = 0;
    tav::THubrellHooks hooks;
    hooks.CloseMain = [&] { ++closes; };
    tav::THubrellControlWindow link(bus, hooks);
    ASSERT_TRUE(link.Connect());
    const tav::TStudentInfo info = link.GetStudentInfo();
    EXPECT_EQ(info.LearnerName, "Finn");
    EXPECT_EQ(info.ContentRoot, "/discs/film");
    EXPECT_EQ(info.TargetFolderName, "German");
    const QJsonObject state = Http(page + "state").Json();
    EXPECT_TRUE(state["assignments"].toArray().isEmpty()) << "taken by the program that signed in";
    const QJsonArray sessions = state["sessions"].toArray();
    ASSERT_EQ(sessions.size(), 1);
    EXPECT_EQ(sessions[0]["learner"].toString(), "Finn");

    // The manager calls the program, whose object answers from this event loop.
    QNetworkAccessManager async;
    QNetworkRequest request{QUrl(page + "shut-down")};
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    const QByteArray body = "{\"session\": " + QByteArray::number(sessions[0]["session"].toInteger()) + "}";
    QNetworkReply* reply = async.post(request, body);
    ASSERT_TRUE(WaitUntil([&] { return closes == 1 && reply->isFinished(); }, 10000));
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    EXPECT_FALSE(link.Connected);
    EXPECT_EQ(Http(page + "shut-down", body).Status, 404) << "not signed in any more";
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

    ManagerProcess here(database, {"--computer", "pc-a"});
    ASSERT_TRUE(WaitForManager());
    const QString page = here.PageAddress();
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
            sessions = Http(page + "state").Json()["sessions"].toArray();
            return sessions.size() == 1;
        }));
        EXPECT_EQ(sessions.at(0)["computer"].toString(), "pc-b");
        EXPECT_TRUE(Http(page + "state").Json()["computers"].toArray().contains(QJsonValue("pc-b")));
        const QByteArray body = "{\"session\": " + QByteArray::number(sessions.at(0)["session"].toInteger()) + "}";
        EXPECT_EQ(Http(page + "shut-down", body).Status, 200);
        // That computer's manager looks for requests every second.
        EXPECT_TRUE(WaitUntil([&] { return closes == 1; }, 10000));
        EXPECT_FALSE(link.Connected);
    }
    QDBusConnection::disconnectFromBus("far program");
}

TEST_F(TeacherPage, AskForThePasswordAndRefuseAnOpenNetworkPageWithoutOne) {
    ManagerProcess manager(database, {"--password", "blue sky"});
    ASSERT_TRUE(WaitForManager());
    const QString page = manager.PageAddress();
    ASSERT_FALSE(page.isEmpty());
    EXPECT_EQ(Http(page).Status, 401);
    EXPECT_EQ(Http(page + "state", {}, "teacher:wrong").Status, 401);
    EXPECT_EQ(Http(page + "assign", R"({"computer": "x", "learner": "y"})").Status, 401);
    const Answer in = Http(page, {}, "teacher:blue sky");
    EXPECT_EQ(in.Status, 200);
    EXPECT_TRUE(in.Body.contains("Tavolin classroom"));

    ManagerProcess open(QString::fromStdString(dir.File("other.sqlite")), {"--listen", "0.0.0.0:0"});
    ASSERT_TRUE(open.process.waitForFinished(10000));
    EXPECT_EQ(open.process.exitCode(), 2);
}

} // namespace
