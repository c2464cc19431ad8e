#include "media/VolumeProgram.h"

#include <QStandardPaths>

#include "content/DebugLog.h"

namespace tav {

TVolumeProgram::TVolumeProgram(QStringList programs, QString raiser, QObject* parent)
    : QObject(parent), programs_(std::move(programs)), raiser_(std::move(raiser)) {}

TVolumeProgram& TVolumeProgram::Instance() {
    static TVolumeProgram* instance =
        new TVolumeProgram({QStringLiteral("pavucontrol"), QStringLiteral("pavucontrol-qt")}, QStringLiteral("xdotool"));
    return *instance;
}

const QProcess* TVolumeProgram::Started() const {
    return started_ && started_->state() != QProcess::NotRunning ? started_ : nullptr;
}

void TVolumeProgram::Open() {
    if (raising_) return; // a raise is on its way; a second double click adds nothing
    if (const QProcess* ours = Started()) {
        // No --onlyvisible: a minimised window is brought back as well.
        Raise({"search", "--pid", QString::number(ours->processId()), "windowactivate"}, [](bool) {});
        return;
    }
    // A copy the learner opened before: raise it; start ours only when none answers.
    Raise({"search", "--class", programs_.value(0), "windowactivate"}, [this](bool found) {
        if (!found) StartProgram();
    });
}

void TVolumeProgram::StartProgram() {
    for (const QString& name : programs_) {
        const QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty()) continue;
        if (started_) started_->deleteLater();
        started_ = new QProcess(this);
        started_->setProgram(path);
        started_->setProcessChannelMode(QProcess::ForwardedChannels);
        connect(started_, &QProcess::errorOccurred, this, [name](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) DebugLog("The volume program " + name.toStdString() + " did not start");
        });
        started_->start();
        return;
    }
    DebugLog("No volume program is installed (looked for " + programs_.join(", ").toStdString() + ")");
}

void TVolumeProgram::Raise(const QStringList& args, std::function<void(bool)> done) {
    const QString tool = raiser_.isEmpty() ? QString() : QStandardPaths::findExecutable(raiser_);
    if (tool.isEmpty() || programs_.isEmpty()) {
        done(false);
        return;
    }
    raising_ = new QProcess(this);
    raising_->setStandardOutputFile(QProcess::nullDevice());
    raising_->setStandardErrorFile(QProcess::nullDevice());
    // finished comes for a tool that ran, errorOccurred alone for one that did not start.
    auto finish = [this, done](bool found) {
        if (!raising_) return;
        raising_->deleteLater();
        raising_ = nullptr;
        done(found);
    };
    connect(raising_, &QProcess::finished, this, [finish](int code, QProcess::ExitStatus status) {
        finish(status == QProcess::NormalExit && code == 0);
    });
    connect(raising_, &QProcess::errorOccurred, this, [finish](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) finish(false);
    });
    raising_->start(tool, args);
}

} // namespace tav
