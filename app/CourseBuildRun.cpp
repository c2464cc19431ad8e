#include "app/CourseBuildRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <cstdlib>
#include <sstream>

namespace tav {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

constexpr int kStopGraceMs = 10000; // a stopped builder cleans up; after this it is killed
constexpr size_t kKeptOutput = 64 * 1024;

} // namespace

bool ParseProgressLine(const std::string& line, TBuildProgress& progress) {
    std::istringstream in(line);
    std::string word;
    TBuildProgress p;
    if (!(in >> word) || word != "progress" || !(in >> p.Fraction >> p.SecondsLeft)) return false;
    std::getline(in >> std::ws, p.Stage);
    while (!p.Stage.empty() && (p.Stage.back() == '\r' || p.Stage.back() == ' ')) p.Stage.pop_back();
    if (!(p.Fraction >= 0 && p.Fraction <= 1)) return false;
    progress = p;
    return true;
}

std::vector<std::string> BuildArguments(const TCourseRequest& r, const std::string& root, const std::string& cache) {
    std::vector<std::string> args{"build", r.Film};
    if (!r.SubtitleFile.empty()) args.push_back(r.SubtitleFile);
    args.insert(args.end(), {"--lang", r.Language, "--title", r.Title, "--out", root});
    if (!cache.empty()) args.insert(args.end(), {"--cache", cache});
    if (r.SubtitleFile.empty() && r.SubtitleTrack >= 0)
        args.insert(args.end(), {"--subtitle-track", std::to_string(r.SubtitleTrack)});
    if (r.AudioTrack >= 0) args.insert(args.end(), {"--audio-track", std::to_string(r.AudioTrack)});
    if (!r.HelpLanguage.empty() && (!r.HelpFile.empty() || r.HelpTrack >= 0)) {
        if (!r.HelpFile.empty()) args.insert(args.end(), {"--help-subtitles", r.HelpFile});
        else args.insert(args.end(), {"--help-track", std::to_string(r.HelpTrack)});
        args.insert(args.end(), {"--help-lang", r.HelpLanguage});
    }
    return args;
}

std::string BuildFailureText(const std::string& output, int exitCode) {
    std::istringstream in(output);
    std::string line, reason, last;
    const std::string tag = "tavolin-disc build: ";
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line.rfind("progress ", 0) == 0 || line == "Not built.") continue;
        if (line.rfind(tag, 0) == 0) reason = line.substr(tag.size());
        else if (line.rfind("usage:", 0) != 0 && line[0] != ' ') last = line;
    }
    std::string text = !reason.empty() ? reason : !last.empty() ? last
                                                                : "the course builder stopped with status " +
                                                                      std::to_string(exitCode);
    if (!text.empty()) text[0] = char(std::toupper((unsigned char)text[0]));
    if (text.back() != '.') text += '.';
    return text;
}

std::string DiscToolPath() {
    if (const char* env = std::getenv("TAVOLIN_DISC_TOOL"); env && env[0]) return env;
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {dir + "/tavolin-disc", dir + "/../tools/disc/tavolin-disc"})
        if (QFileInfo(candidate).isExecutable()) return QFileInfo(candidate).canonicalFilePath().toStdString();
    return QStandardPaths::findExecutable("tavolin-disc").toStdString();
}

TCourseBuildRun::TCourseBuildRun(QObject* parent) : QObject(parent) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    connect(&process_, &QProcess::readyReadStandardOutput, this, [this] { ReadOutput(); });
    connect(&process_, &QProcess::finished, this,
            [this](int code, QProcess::ExitStatus status) { Finished(code, status); });
}

TCourseBuildRun::~TCourseBuildRun() {
    // Leaving the screen while building stops the build and leaves nothing.
    if (process_.state() != QProcess::NotRunning) {
        OnFinished = nullptr;
        OnProgress = nullptr;
        process_.terminate();
        if (!process_.waitForFinished(kStopGraceMs)) {
            process_.kill();
            process_.waitForFinished(2000);
        }
        RemoveLeftovers();
    }
}

bool TCourseBuildRun::Start(const TCourseRequest& request, const std::string& root, std::string& why) {
    const std::string tool = DiscToolPath();
    if (tool.empty()) {
        why = "The course builder (tavolin-disc) is not installed.";
        return false;
    }
    const QString parent = QFileInfo(Q(root)).absolutePath();
    if (!QDir().mkpath(parent)) {
        why = "The course library " + parent.toStdString() + " cannot be made.";
        return false;
    }
    root_ = root;
    cancelled_ = false;
    output_.clear();
    pending_.clear();
    // Spoken words are kept between builds in the user's cache, not in the library.
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!cache.isEmpty()) cache += "/tavolin/speech";
    QStringList args;
    for (const std::string& a : BuildArguments(request, root, cache.toStdString())) args << Q(a);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TAVOLIN_PROGRESS", "lines");
    process_.setProcessEnvironment(env);
    process_.start(Q(tool), args);
    if (!process_.waitForStarted(10000)) {
        why = "The course builder could not be started: " + process_.errorString().toStdString() + ".";
        return false;
    }
    return true;
}

void TCourseBuildRun::Cancel() {
    if (process_.state() == QProcess::NotRunning) return;
    cancelled_ = true;
    process_.terminate();
    QTimer::singleShot(kStopGraceMs, this, [this] {
        if (process_.state() != QProcess::NotRunning) process_.kill();
    });
}

bool TCourseBuildRun::Running() const { return process_.state() != QProcess::NotRunning; }

void TCourseBuildRun::ReadOutput() {
    pending_ += process_.readAllStandardOutput().toStdString();
    size_t end;
    while ((end = pending_.find('\n')) != std::string::npos) {
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        TBuildProgress p;
        if (ParseProgressLine(line, p)) {
            if (OnProgress) OnProgress(p);
            continue;
        }
        output_ += line + '\n';
        if (output_.size() > kKeptOutput) output_.erase(0, output_.size() - kKeptOutput);
    }
}

void TCourseBuildRun::RemoveLeftovers() {
    if (root_.empty()) return;
    const QFileInfo fi(Q(root_));
    for (const QString& suffix : {QStringLiteral(".building"), QStringLiteral(".building.old")})
        QDir(fi.absolutePath() + "/." + fi.fileName() + suffix).removeRecursively();
}

void TCourseBuildRun::Finished(int exitCode, QProcess::ExitStatus status) {
    ReadOutput();
    if (!pending_.empty()) output_ += pending_ + '\n';
    pending_.clear();
    const bool ok = !cancelled_ && status == QProcess::NormalExit && exitCode == 0 &&
                    QFileInfo(Q(root_ + "/Spelinfo.txt")).exists();
    std::string why;
    if (!ok) {
        RemoveLeftovers();
        // A cancelled build that had already moved its course into place is taken back out.
        if (cancelled_ && status == QProcess::NormalExit && exitCode == 0) QDir(Q(root_)).removeRecursively();
        if (!cancelled_) {
            why = status == QProcess::NormalExit ? BuildFailureText(output_, exitCode)
                                                 : "The course builder stopped unexpectedly.";
        }
    }
    // Reported from a later turn of the event loop, not inside the process's
    // own signal: the receiver may show a box and be deleted with this run.
    const bool cancelled = cancelled_ && !ok;
    QTimer::singleShot(0, this, [this, ok, cancelled, why] {
        if (auto done = OnFinished) done(ok, cancelled, why);
    });
}

} // namespace tav
