#include "media/WordSpeech.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "content/UnicodeText.h"

namespace tav {

TWordSpeech::TWordSpeech(QObject* parent) : QObject(parent) {}

TWordSpeech::~TWordSpeech() {
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(1000);
    }
}

void TWordSpeech::Say(const std::string& text, const std::string& iso,
                      std::function<void(const std::string&, const std::string&)> done) {
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(1000);
        process_->deleteLater();
        process_ = nullptr;
    }
    if (!folder_) folder_ = std::make_unique<QTemporaryDir>();
    if (!folder_->isValid()) {
        done(std::string(), "no folder for the spoken word");
        return;
    }
    const int serial = ++serial_;
    // A new file per request: the player may still hold the last one.
    const QString wav = folder_->filePath(QStringLiteral("word%1.wav").arg(serial));
    process_ = new QProcess(this);
    process_->setProgram(QStringLiteral("espeak-ng"));
    // "--" keeps a word that starts with a dash from being read as an option.
    process_->setArguments({QStringLiteral("-v"), ToQString(iso.empty() ? std::string("en") : iso), QStringLiteral("-s"),
                            QStringLiteral("140"), QStringLiteral("-w"), wav, QStringLiteral("--"), ToQString(text)});
    QProcess* process = process_;
    connect(process, &QProcess::errorOccurred, this, [this, process, done](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart || process != process_) return;
        process_->deleteLater();
        process_ = nullptr;
        done(std::string(), "espeak-ng is not installed (Debian's package espeak-ng)");
    });
    connect(process, &QProcess::finished, this, [this, process, wav, iso, done](int code, QProcess::ExitStatus status) {
        if (process != process_) return;
        const std::string errors = FromQString(QString::fromLocal8Bit(process->readAllStandardError()).trimmed());
        process_->deleteLater();
        process_ = nullptr;
        if (status == QProcess::NormalExit && code == 0 && QFileInfo(wav).size() > 44) {
            done(FromQString(wav), std::string());
            return;
        }
        done(std::string(), errors.find("voice") != std::string::npos || code != 0
                                ? "espeak-ng has no voice for \"" + iso + "\""
                                : "espeak-ng said nothing");
    });
    process_->start();
}

} // namespace tav
