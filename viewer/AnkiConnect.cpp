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
    AddNote(deckName, FilledLineNote(note), std::move(done));
}

void TAnkiConnect::AddNote(const std::string& deckName, const TAnkiFilledNote& note,
                           std::function<void(const TAnkiConnectResult&)> done) {
    auto finish = std::make_shared<std::function<void(const TAnkiConnectResult&)>>(std::move(done));
    auto failed = [finish](bool noAnswer, const QString& reason) {
        (*finish)({noAnswer ? TAnkiConnectResult::NotRunning : TAnkiConnectResult::Failed, reason});
    };
    // Past the first answer Anki is there: a missing answer later is a failure, not an absence.
    auto failedLater = [finish](bool, const QString& reason) { (*finish)({TAnkiConnectResult::Failed, reason}); };
    if (!note.Type || note.Values.size() != note.Type->Fields.size()) {
        (*finish)({TAnkiConnectResult::Failed, QStringLiteral("the note does not match its note type")});
        return;
    }
    const TAnkiNoteType* type = note.Type;
    const QString deck = QString::fromStdString(deckName);
    QJsonObject fields;
    for (size_t i = 0; i < note.Values.size(); ++i)
        fields.insert(QString::fromStdString(type->Fields[i]), QString::fromStdString(note.Values[i]));

    auto addNote = [this, deck, fields, type, finish, failedLater] {
        const QJsonObject params{
            {"note", QJsonObject{{"deckName", deck},
                                 {"modelName", type->Name},
                                 {"fields", fields},
                                 {"tags", QJsonArray{"tavolin"}},
                                 {"options", QJsonObject{{"allowDuplicate", false}, {"duplicateScope", "deck"}}}}}};
        Call("addNote", params, kCallTimeoutMs, [finish](const QJsonValue&) { (*finish)({TAnkiConnectResult::Added, {}}); },
             failedLater);
    };
    // The media one after the other, then the note.
    auto media = std::make_shared<std::vector<std::pair<std::string, QByteArray>>>();
    for (const auto& m : note.Media)
        if (!m.first.empty() && !m.second.isEmpty()) media->push_back(m);
    auto storeNext = std::make_shared<std::function<void(size_t)>>();
    *storeNext = [this, media, addNote, failedLater, weak = std::weak_ptr(storeNext)](size_t i) {
        if (i >= media->size()) return addNote();
        auto self = weak.lock();
        Call("storeMediaFile",
             {{"filename", QString::fromStdString((*media)[i].first)},
              {"data", QString::fromLatin1((*media)[i].second.toBase64())}},
             kCallTimeoutMs, [self, i](const QJsonValue&) { (*self)(i + 1); }, failedLater);
    };
    auto storeMedia = [storeNext] { (*storeNext)(0); };
    auto createDeck = [this, deck, storeMedia, failedLater] {
        Call("createDeck", {{"deck", deck}}, kCallTimeoutMs, [storeMedia](const QJsonValue&) { storeMedia(); },
             failedLater);
    };
    auto ensureModel = [this, type, createDeck, failedLater] {
        Call("modelNames", {}, kCallTimeoutMs,
             [this, type, createDeck, failedLater](const QJsonValue& names) {
                 if (names.toArray().contains(QString::fromUtf8(type->Name))) return createDeck();
                 QJsonArray fieldNames;
                 for (const std::string& n : type->Fields) fieldNames.append(QString::fromStdString(n));
                 const QJsonObject params{
                     {"modelName", type->Name},
                     {"inOrderFields", fieldNames},
                     {"css", type->Css},
                     {"isCloze", false},
                     {"cardTemplates",
                      QJsonArray{QJsonObject{{"Name", "Card 1"}, {"Front", type->Front}, {"Back", type->Back}}}}};
                 Call("createModel", params, kCallTimeoutMs, [createDeck](const QJsonValue&) { createDeck(); },
                      failedLater);
             },
             failedLater);
    };
    Call("version", {}, kProbeTimeoutMs, [ensureModel](const QJsonValue&) { ensureModel(); }, failed);
}

} // namespace tav
