#pragma once
// A small client of AnkiConnect, the add-on that lets programs on this
// computer talk to a running Anki over HTTP (JSON on 127.0.0.1:8765). Every
// call is asynchronous with a short time limit, so the screens never wait.
#include <QNetworkAccessManager>
#include <QObject>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <string>

#include "viewer/AnkiNote.h"

namespace tav {

struct TAnkiConnectResult {
    enum TKind { Added, NotRunning, Failed };
    TKind Kind = Failed;
    QString Message; // Anki's own reason when Failed
};

class TAnkiConnect : public QObject {
    Q_OBJECT
public:
    explicit TAnkiConnect(QObject* parent = nullptr, quint16 port = 8765);

    // Asks Anki whether it is there, makes sure the note type and the deck
    // exist, stores the note's media and adds the note. NotRunning when
    // nothing answers in time (then nothing was changed in Anki).
    void AddNote(const std::string& deckName, const TAnkiNote& note,
                 std::function<void(const TAnkiConnectResult&)> done);
    // The same for a note of any Tavolin note type (the type is made when
    // Anki does not have it).
    void AddNote(const std::string& deckName, const TAnkiFilledNote& note,
                 std::function<void(const TAnkiConnectResult&)> done);

    static constexpr int kProbeTimeoutMs = 1500;
    static constexpr int kCallTimeoutMs = 8000;

private:
    using TOk = std::function<void(const QJsonValue& result)>;
    using TFail = std::function<void(bool noAnswer, const QString& reason)>;
    void Call(const QString& action, const QJsonObject& params, int timeoutMs, TOk ok, TFail fail);

    QNetworkAccessManager net_;
    quint16 port_;
};

} // namespace tav
