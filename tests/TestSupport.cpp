#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tavtest {

TempFolder::TempFolder() { dir_.setAutoRemove(true); }
std::string TempFolder::Path() const { return dir_.path().toStdString(); }

std::string FixtureDiscFolder() {
    const QString set = qEnvironmentVariable("TAVOLIN_FIXTURE_DISC");
    const QString folder = set.isEmpty() ? QStringLiteral(TAVOLIN_BUILT_FIXTURE_DISC) : set;
    return QDir(folder).exists() ? folder.toStdString() : std::string();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    QDir().mkpath(QString::fromStdString(path.substr(0, path.find_last_of('/'))));
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

MessageCapture::MessageCapture(tav::TModalResult answer) : Answer(answer) {
    tav::SetMessagePresenter([this](const tav::TMessage& m) {
        Messages.push_back(m);
        return Answer;
    });
}

MessageCapture::~MessageCapture() { InstallUnexpectedMessageReporter(); }

void InstallUnexpectedMessageReporter() {
    // A real modal box would wait forever for a click no test makes.
    tav::SetMessagePresenter([](const tav::TMessage& m) {
        std::fprintf(stderr, "unexpected message box: %s\n", m.Text.c_str());
        return m.Buttons == tav::TMsgButtons::AbortIgnore ? tav::TModalResult::Ignore : tav::TModalResult::OK;
    });
}

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return pred();
}

void Pump(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

void MakeFixtureDisc(const std::string& root, const std::string& targetFolder) {
    WriteFile(root + "/Target.txt",
              "TargetFolderName|" + targetFolder + "\r\nTargetPathForPC|\r\nSourceHelpLangs|2,5\r\n");
    WriteFile(root + "/Spelinfo.txt", "spelling\r\n");
    WriteFile(root + "/" + targetFolder + "/settings.txt",
              "PCCaption|Tavolin - Fixture\r\nTargetLang|3\r\nMovieNames|part1.mpg|part2.mpg\r\n"
              "NextGameStartLines|1|3\r\n");
    WriteFile(root + "/" + targetFolder + "/movieinf.txt",
              "1|00:00:01:00|00:00:03:00|Bonjour !|MARIE|0|1|0|0\r\n"
              "2|00:00:03:15|00:00:05:00|Salut, Marie.|PAUL|0|1|0|0\r\n"
              "3|00:00:05:00|00:00:07:00|On y va ?|MARIE|0|1|0|0\r\n");
    WriteFile(root + "/" + targetFolder + "/record.txt", "Marie\r\n1|3\r\n");
    WriteFile(root + "/" + targetFolder + "/Search.txt", "Bonjour\r\nmarie, un nom\r\n");
    QDir().mkpath(QString::fromStdString(root + "/shared/source/bubb2"));
    QDir().mkpath(QString::fromStdString(root + "/shared/source/bubb5"));
    QDir().mkpath(QString::fromStdString(root + "/PC"));
}

TKillRound RunAndKill(const std::function<void(int reportFd)>& writer, int delayUs, bool fromFirstReport) {
    TKillRound round;
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        ::close(fds[0]);
        writer(fds[1]);
        _exit(0);
    }
    ::close(fds[1]);
    char buf[256];
    if (fromFirstReport) {
        pollfd ready{fds[0], POLLIN, 0};
        if (::poll(&ready, 1, 30000) > 0) {
            const ssize_t n = ::read(fds[0], buf, sizeof buf);
            if (n > 0) round.Report.append(buf, size_t(n));
        }
    }
    ::usleep(useconds_t(delayUs));
    round.Killed = ::kill(child, SIGKILL) == 0;
    int status = 0;
    ::waitpid(child, &status, 0);
    if (WIFEXITED(status)) round.ExitStatus = WEXITSTATUS(status);
    round.Killed = round.Killed && WIFSIGNALED(status);
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) round.Report.append(buf, size_t(n));
    ::close(fds[0]);
    return round;
}

int TKillDelay::NextUs() {
    std::uniform_real_distribution<double> writes(0.1, 2.0 * perRound_);
    return std::max(200, int(writes(rng_) * usPerWrite_));
}

void TKillDelay::Observed(int delayUs, int writesConfirmed) {
    if (writesConfirmed > 0)
        usPerWrite_ = 0.7 * usPerWrite_ + 0.3 * (double(delayUs) / writesConfirmed);
    else if (double(delayUs) > usPerWrite_)
        usPerWrite_ *= 1.5; // not one write in a delay longer than a write was thought to take
    usPerWrite_ = std::clamp(usPerWrite_, 50.0, 2e6);
}

} // namespace tavtest
