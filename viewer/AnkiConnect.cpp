#include "viewer/AnkiConnect.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <memory>

namespace tav {

TAnkiConnect::TAnkiConnect(QObject* parent, quint16 port) : QObject(parent), port_(port) {}

void TAnkiConnect::Call(const QString& action, const QJsonObject& params, int timeoutMs, TOk ok, TFail fail) {
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port_)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    request.setTransferTimeout(timeoutMs);
    QJsonObject body{{"action", action}, {"version", 6}};
    if (!params.isEmpty()) body.insert("params", params);
    QNetworkReply* reply = net_.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    connect(reply, &QNetworkReply::finished, this, [reply, ok, fail] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError) {
            // Refused, timed out, or an HTTP error: nobody useful answers there.
            fail(true, reply->errorString());
            return;
        }
        QJsonParseError perr;
        const QJsonDocument doc = QJsonDocument::fromJson(reply->readAll(), &perr);
        if (perr.error != QJsonParseError::NoError || !doc.isObject()) {
            fail(true, QStringLiteral("the answer was not AnkiConnect's"));
            return;
        }
        const QJsonObject answer = doc.object();
        const QJsonValue error = answer.value("error");
        if (!error.isNull() && !error.isUndefined()) {
            fail(false, error.toString());
            return;
        }
        ok(answer.value("result"));
    });
}

void TAnkiConnect::AddNote(const std::string& deckName, const TAnkiNote& note,
                           std::function<void(const TAnkiConnectResult&)> done) {
    auto finish = std::make_shared<std::function<void(const TAnkiConnectResult&)>>(std::move(done));
    auto failed = [finish](bool noAnswer, const QString& reason) {
        (*finish)({noAnswer ? TAnkiConnectResult::NotRunning : TAnkiConnectResult::Failed, reason});
    };
    // Past the first answer Anki is there: a missing answer later is a failure, not an absence.
    auto failedLater = [finish](bool, const QString& reason) { (*finish)({TAnkiConnectResult::Failed, reason}); };
    const QString deck = QString::fromStdString(deckName);
    const auto values = AnkiFieldValues(note);
    QJsonObject fields;
    for (size_t i = 0; i < values.size(); ++i)
        fields.insert(QString::fromStdString(AnkiFieldNames()[i]), QString::fromStdString(values[i]));

    auto addNote = [this, deck, fields, finish, failedLater] {
        const QJsonObject params{
            {"note", QJsonObject{{"deckName", deck},
                                 {"modelName", kAnkiModelName},
                                 {"fields", fields},
                                 {"tags", QJsonArray{"tavolin"}},
                                 {"options", QJsonObject{{"allowDuplicate", false}, {"duplicateScope", "deck"}}}}}};
        Call("addNote", params, kCallTimeoutMs, [finish](const QJsonValue&) { (*finish)({TAnkiConnectResult::Added, {}}); },
             failedLater);
    };
    // The media one after the other, then the note.
    auto storeMedia = [this, note, addNote, failedLater] {
        auto storePicture = [this, note, addNote, failedLater] {
            if (note.PictureName.empty() || note.Picture.isEmpty()) return addNote();
            Call("storeMediaFile",
                 {{"filename", QString::fromStdString(note.PictureName)},
                  {"data", QString::fromLatin1(note.Picture.toBase64())}},
                 kCallTimeoutMs, [addNote](const QJsonValue&) { addNote(); }, failedLater);
        };
        if (note.SoundName.empty() || note.Sound.isEmpty()) return storePicture();
        Call("storeMediaFile",
             {{"filename", QString::fromStdString(note.SoundName)}, {"data", QString::fromLatin1(note.Sound.toBase64())}},
             kCallTimeoutMs, [storePicture](const QJsonValue&) { storePicture(); }, failedLater);
    };
    auto createDeck = [this, deck, storeMedia, failedLater] {
        Call("createDeck", {{"deck", deck}}, kCallTimeoutMs, [storeMedia](const QJsonValue&) { storeMedia(); },
             failedLater);
    };
    auto ensureModel = [this, createDeck, failedLater] {
        Call("modelNames", {}, kCallTimeoutMs,
             [this, createDeck, failedLater](const QJsonValue& names) {
                 if (names.toArray().contains(QString::fromUtf8(kAnkiModelName))) return createDeck();
                 QJsonArray fieldNames;
                 for (const std::string& n : AnkiFieldNames()) fieldNames.append(QString::fromStdString(n));
                 const QJsonObject params{
                     {"modelName", kAnkiModelName},
                     {"inOrderFields", fieldNames},
                     {"css", kAnkiCss},
                     {"isCloze", false},
                     {"cardTemplates",
                      QJsonArray{QJsonObject{{"Name", "Card 1"}, {"Front", kAnkiFront}, {"Back", kAnkiBack}}}}};
                 Call("createModel", params, kCallTimeoutMs, [createDeck](const QJsonValue&) { createDeck(); },
                      failedLater);
             },
             failedLater);
    };
    Call("version", {}, kProbeTimeoutMs, [ensureModel](const QJsonValue&) { ensureModel(); }, failed);
}

} // namespace tav
