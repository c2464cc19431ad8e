#pragma once
// Says a word or a short text in the film's language with espeak-ng: the
// speech is written to a WAVE file off the UI thread (espeak-ng runs as its
// own process) and handed back for the sound player. A second request while
// one runs replaces it.
#include <QObject>

#include <functional>
#include <memory>
#include <string>

class QProcess;
class QTemporaryDir;

namespace tav {

class TWordSpeech : public QObject {
    Q_OBJECT
public:
    explicit TWordSpeech(QObject* parent = nullptr);
    ~TWordSpeech() override;

    // done(wavFile, error) is called once on the UI thread: the file to
    // play, or why there is none (espeak-ng missing, no voice for the
    // language). iso is the language's ISO 639-1 code ("fr").
    void Say(const std::string& text, const std::string& iso, std::function<void(const std::string&, const std::string&)> done);

private:
    std::unique_ptr<QTemporaryDir> folder_;
    QProcess* process_ = nullptr;
    int serial_ = 0;
};

} // namespace tav
