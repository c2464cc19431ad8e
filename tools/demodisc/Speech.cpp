#include "Speech.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <memory>
#include <stdexcept>

namespace demodisc {

TSpeechCache::TSpeechCache(std::string folder) : folder_(std::move(folder)) {
    QDir().mkpath(QString::fromStdString(folder_));
}

std::string TSpeechCache::PathFor(const TSpeechRequest& r) const {
    const std::string key = r.Voice.Name + "|" + std::to_string(r.Voice.Pitch) + "|" +
                            std::to_string(r.Voice.Speed) + "|" + r.Text;
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(key), QCryptographicHash::Sha1).toHex();
    return folder_ + "/" + hash.toStdString() + ".wav";
}

std::vector<TSound> TSpeechCache::SpeakAll(const std::vector<TSpeechRequest>& requests) {
    struct TJob {
        std::unique_ptr<QProcess> Process;
        std::string Temp, Final;
    };
    std::vector<TJob> running;
    auto finish = [&](TJob& job) {
        job.Process->waitForFinished(60000);
        if (job.Process->exitStatus() != QProcess::NormalExit || job.Process->exitCode() != 0 ||
            !QFile::exists(QString::fromStdString(job.Temp)))
            throw std::runtime_error("espeak-ng failed: " + job.Process->readAllStandardError().toStdString());
        QFile::remove(QString::fromStdString(job.Final));
        QFile::rename(QString::fromStdString(job.Temp), QString::fromStdString(job.Final));
        ++synthesized_;
    };
    for (const TSpeechRequest& r : requests) {
        const std::string path = PathFor(r);
        if (QFile::exists(QString::fromStdString(path))) continue;
        bool queued = false;
        for (const TJob& j : running) queued = queued || j.Final == path;
        if (queued) continue;
        if (running.size() >= 2) {
            finish(running.front());
            running.erase(running.begin());
        }
        TJob job;
        job.Final = path;
        job.Temp = path + ".part";
        job.Process = std::make_unique<QProcess>();
        job.Process->start("espeak-ng", {"-v", QString::fromStdString(r.Voice.Name), "-p",
                                         QString::number(r.Voice.Pitch), "-s", QString::number(r.Voice.Speed),
                                         "-w", QString::fromStdString(job.Temp), QString::fromStdString(r.Text)});
        if (!job.Process->waitForStarted(10000)) throw std::runtime_error("cannot start espeak-ng");
        running.push_back(std::move(job));
    }
    for (TJob& j : running) finish(j);

    std::vector<TSound> out;
    out.reserve(requests.size());
    for (const TSpeechRequest& r : requests) {
        TSound s = ReadWav(PathFor(r));
        s.TrimSilence();
        s.Normalize(0.7f);
        out.push_back(std::move(s));
    }
    return out;
}

TSound TSpeechCache::Speak(const TVoice& voice, const std::string& text) {
    return SpeakAll({{voice, text}}).front();
}

} // namespace demodisc
