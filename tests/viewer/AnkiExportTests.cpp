// Exporting film lines to Anki on the fixture disc: the deck file read back
// with SQLite (collection, note, card, media map, the line's sound against
// the film's own track, the picture), appending to a deck file without
// losing what it held, a damaged deck file left alone, and AnkiConnect
// against a small fake server, with the deck file when nothing listens.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTcpServer>
#include <QTcpSocket>

#include <zip.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "../app/AppFixture.h"
#include "tests/TestSupport.h"
#include "app/Main.h"
#include "content/UnicodeText.h"
#include "media/MediaDecoder.h"
#include "media/Movie.h"
#include "program/Screens.h"
#include "viewer/AnkiConnect.h"
#include "viewer/AnkiExport.h"
#include "viewer/AnkiPackage.h"
#include "viewer/LineExportSource.h"

using namespace tav;
using namespace tavtest;

namespace {

std::map<std::string, QByteArray> ZipEntries(const std::string& path) {
    std::map<std::string, QByteArray> entries;
    int err = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &err);
    if (!z) return entries;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(z, zip_uint64_t(i), 0, &st);
        QByteArray bytes(qsizetype(st.size), '\0');
        zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
        zip_fread(f, bytes.data(), st.size);
        zip_fclose(f);
        entries[st.name] = bytes;
    }
    zip_discard(z);
    return entries;
}

// The collection database of a package, opened read-only through Qt SQL.
class Collection {
public:
    Collection(const QByteArray& bytes, const std::string& file) {
        WriteFile(file, bytes.toStdString());
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "anki-test");
        db.setDatabaseName(QString::fromStdString(file));
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        ok = db.open();
    }
    ~Collection() {
        { QSqlDatabase::database("anki-test", false).close(); }
        QSqlDatabase::removeDatabase("anki-test");
    }
    std::vector<std::vector<QVariant>> Rows(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database("anki-test", false));
        std::vector<std::vector<QVariant>> rows;
        if (!q.exec(sql)) {
            ADD_FAILURE() << sql.toStdString();
            return rows;
        }
        while (q.next()) {
            std::vector<QVariant> row;
            for (int i = 0; i < q.record().count(); ++i) row.push_back(q.value(i));
            rows.push_back(row);
        }
        return rows;
    }
    bool ok = false;
};

// Every sound sample of a media file (no seeking: the reference decode).
std::vector<float> DecodeAll(const std::string& path, int rate) {
    TMediaDecoder d(path, rate);
    std::vector<float> stereo;
    TVideoFrame v;
    TAudioChunk a;
    int64_t firstUs = -1;
    for (;;) {
        auto item = d.Next(v, a);
        if (item == TMediaDecoder::TItem::End || item == TMediaDecoder::TItem::Error) break;
        if (item != TMediaDecoder::TItem::Audio) continue;
        if (firstUs < 0) {
            firstUs = a.StartUs;
            // Sound that starts after the picture begins with silence.
            stereo.assign(size_t(std::max<int64_t>(0, firstUs) * rate / 1000000) * 2, 0.0f);
        }
        stereo.insert(stereo.end(), a.Samples.begin(), a.Samples.end());
    }
    return stereo;
}

// The best normalised correlation of b against a within +-maxLag samples (mono).
double BestCorrelation(const std::vector<float>& a, const std::vector<float>& b, int maxLag, int* lagOut) {
    double best = -1;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double ab = 0, aa = 0, bb = 0;
        for (size_t i = size_t(maxLag); i + size_t(maxLag) < std::min(a.size(), b.size()); ++i) {
            const double x = a[i], y = b[size_t(int64_t(i) + lag)];
            ab += x * y;
            aa += x * x;
            bb += y * y;
        }
        const double c = aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
        if (c > best) {
            best = c;
            *lagOut = lag;
        }
    }
    return best;
}

class AnkiExport : public FixtureDiscScreens {
protected:
    TempFolder docs, scratch;
    std::unique_ptr<TForm_Movie> movie;

    void SetUp() override {
        FixtureDiscScreens::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        StartMain();
        ASSERT_NE(main, nullptr);
        movie = std::make_unique<TForm_Movie>(MovieSettingsFrom(*main));
    }
    void TearDown() override {
        movie.reset();
        main.reset();
        FixtureDiscScreens::TearDown();
    }
    // A spoken line of the film, its translation given by the test.
    TLineExport Line(size_t index, const std::string& translation = {}) {
        const TMovieEntry& e = main->MovieEntries.at(index);
        std::map<int, std::string> tr;
        if (!translation.empty()) tr[e.SequenceNumber] = translation;
        return LineExportFor(*main, *movie, e, tr, docs.Path());
    }
    TExportOutcome Run(TAnkiExporter& exporter, const TLineExport& line) {
        TExportOutcome outcome;
        bool done = false;
        EXPECT_TRUE(exporter.Export(line, [&](const TExportOutcome& o) {
            outcome = o;
            done = true;
        }));
        EXPECT_TRUE(WaitUntil([&] { return done; }, 20000));
        return outcome;
    }
    // A port where nothing listens.
    static quint16 DeadPort() {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }
};

// Answers AnkiConnect calls over HTTP/1.1 (several per connection) and keeps
// what it was asked.
class FakeAnki : public QObject {
public:
    std::vector<QJsonObject> Calls;
    std::map<QString, QJsonValue> Results{{"version", 6},          {"modelNames", QJsonArray{"Basic"}},
                                          {"createModel", QJsonObject{}}, {"createDeck", 1234},
                                          {"storeMediaFile", "x"}, {"addNote", 5678}};
    std::map<QString, QString> Errors;
    QTcpServer server;

    FakeAnki() {
        server.listen(QHostAddress::LocalHost, 0);
        connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                auto* buffer = new QByteArray;
                connect(s, &QTcpSocket::readyRead, s, [this, s, buffer] {
                    buffer->append(s->readAll());
                    for (;;) {
                        const qsizetype head = buffer->indexOf("\r\n\r\n");
                        if (head < 0) return;
                        qsizetype length = 0;
                        for (const QByteArray& line : buffer->left(head).split('\n'))
                            if (line.toLower().startsWith("content-length:")) length = line.mid(15).trimmed().toLongLong();
                        if (buffer->size() < head + 4 + length) return;
                        const QJsonObject call = QJsonDocument::fromJson(buffer->mid(head + 4, length)).object();
                        buffer->remove(0, head + 4 + length);
                        Calls.push_back(call);
                        const QString action = call.value("action").toString();
                        QJsonObject answer{{"result", Results.count(action) ? Results[action] : QJsonValue()},
                                           {"error", Errors.count(action) ? QJsonValue(Errors[action]) : QJsonValue()}};
                        const QByteArray body = QJsonDocument(answer).toJson(QJsonDocument::Compact);
                        s->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                                 QByteArray::number(body.size()) + "\r\n\r\n" + body);
                    }
                });
                connect(s, &QTcpSocket::disconnected, s, [s, buffer] {
                    delete buffer;
                    s->deleteLater();
                });
            }
        });
    }
    QJsonValue Param(size_t call, const char* key) const {
        return Calls.at(call).value("params").toObject().value(key);
    }
    std::vector<QString> Actions() const {
        std::vector<QString> a;
        for (const auto& c : Calls) a.push_back(c.value("action").toString());
        return a;
    }
};

} // namespace

TEST(AnkiNote, FieldsEscapeAndChecksumFollowsTheStrippedFirstField) {
    TAnkiNote note;
    note.Text = "Tu es l\xC3\xA0 & <ici>";
    note.SoundName = "a.mp3";
    note.PictureName = "b.jpg";
    const auto f = AnkiFieldValues(note);
    ASSERT_EQ(f.size(), AnkiFieldNames().size());
    EXPECT_EQ(f[0], "Tu es l\xC3\xA0 &amp; &lt;ici&gt;");
    EXPECT_EQ(f[2], "[sound:a.mp3]");
    EXPECT_EQ(f[3], "<img src=\"b.jpg\">");
    EXPECT_EQ(StripHtmlKeepMedia(f[0]), note.Text);
    EXPECT_EQ(StripHtmlKeepMedia("<b>x</b> <img src=\"p.jpg\">"), "x  p.jpg");
    const QByteArray sha = QCryptographicHash::hash(QByteArray::fromStdString(note.Text), QCryptographicHash::Sha1);
    EXPECT_EQ(AnkiFieldChecksum(f[0]), sha.toHex().left(8).toLongLong(nullptr, 16));
    EXPECT_EQ(FilmTitleFromCaption("Tavolin \xE2\x80\x93 Biscuit s'est perdu"), "Biscuit s'est perdu");
    EXPECT_EQ(FilmTitleFromCaption("Le Film"), "Le Film");
}

TEST_F(AnkiExport, DeckFileHoldsTheLineWithItsExactSoundAndPicture) {
    const size_t index = main->MovieEntries.size() / 2;
    const TMovieEntry entry = main->MovieEntries[index];
    TLineExport line = Line(index, "You are \xC3\xA9t\xC3\xA9 there");
    ASSERT_FALSE(line.Range.File.empty());
    TAnkiExporter exporter(nullptr, DeadPort());
    const TExportOutcome out = Run(exporter, line);
    ASSERT_TRUE(out.Ok) << out.Message.toStdString();
    EXPECT_FALSE(out.ToAnki);
    EXPECT_EQ(out.FilePath, AnkiPackagePath(docs.Path(), ToQString(line.Title).toStdString()));
    EXPECT_TRUE(out.Message.contains(QString::fromStdString(out.FilePath)));

    auto entries = ZipEntries(out.FilePath);
    ASSERT_EQ(entries.count("collection.anki2"), 1u);
    const QJsonObject media = QJsonDocument::fromJson(entries["media"]).object();
    ASSERT_EQ(media.size(), 2);
    ASSERT_TRUE(entries.count("0") && entries.count("1"));
    const std::string soundName = media["0"].toString().toStdString(), pictureName = media["1"].toString().toStdString();
    EXPECT_TRUE(soundName.ends_with(".mp3"));
    EXPECT_TRUE(pictureName.ends_with(".jpg"));

    Collection col(entries["collection.anki2"], scratch.File("c.anki2"));
    ASSERT_TRUE(col.ok);
    auto c = col.Rows("SELECT ver, models, decks, dconf, conf FROM col");
    ASSERT_EQ(c.size(), 1u);
    EXPECT_EQ(c[0][0].toInt(), 11);
    const QJsonObject models = QJsonDocument::fromJson(c[0][1].toString().toUtf8()).object();
    const QJsonObject decks = QJsonDocument::fromJson(c[0][2].toString().toUtf8()).object();
    EXPECT_TRUE(QJsonDocument::fromJson(c[0][3].toString().toUtf8()).object().contains("1"));
    EXPECT_TRUE(QJsonDocument::fromJson(c[0][4].toString().toUtf8()).isObject());
    ASSERT_EQ(models.size(), 1);
    const QJsonObject model = models.begin()->toObject();
    EXPECT_EQ(models.begin().key(), QString::number(model["id"].toInteger()));
    EXPECT_EQ(model["flds"].toArray().size(), int(AnkiFieldNames().size()));
    EXPECT_EQ(model["tmpls"].toArray().size(), 1);
    qint64 deckId = 0;
    for (auto it = decks.begin(); it != decks.end(); ++it)
        if (it->toObject().value("name").toString() == ToQString(line.Title)) deckId = it.key().toLongLong();
    ASSERT_NE(deckId, 0) << "a deck named after the film";
    EXPECT_TRUE(decks.contains("1")) << "the default deck";

    auto notes = col.Rows("SELECT id, guid, mid, usn, flds, sfld, csum FROM notes");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0][2].toLongLong(), model["id"].toInteger());
    EXPECT_EQ(notes[0][3].toInt(), -1);
    EXPECT_FALSE(notes[0][1].toString().isEmpty());
    const QStringList flds = notes[0][4].toString().split(QChar(0x1f));
    ASSERT_EQ(flds.size(), int(AnkiFieldNames().size()));
    const QString text = ToQString(entry.LineText);
    EXPECT_EQ(flds[0], text.toHtmlEscaped());
    EXPECT_EQ(flds[1], QString::fromUtf8("You are \xC3\xA9t\xC3\xA9 there")) << "translation in UTF-8";
    EXPECT_EQ(flds[2], QString::fromStdString("[sound:" + soundName + "]"));
    EXPECT_EQ(flds[3], QString::fromStdString("<img src=\"" + pictureName + "\">"));
    EXPECT_EQ(flds[4], ToQString(line.Title).toHtmlEscaped());
    EXPECT_EQ(notes[0][5].toString(), text);
    EXPECT_EQ(notes[0][6].toLongLong(),
              QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(8).toLongLong(nullptr, 16));
    auto cards = col.Rows("SELECT nid, did, ord, usn, type, queue FROM cards");
    ASSERT_EQ(cards.size(), 1u);
    EXPECT_EQ(cards[0][0], notes[0][0]);
    EXPECT_EQ(cards[0][1].toLongLong(), deckId);
    EXPECT_EQ(cards[0][3].toInt(), -1);
    EXPECT_EQ(col.Rows("SELECT * FROM revlog").size() + col.Rows("SELECT * FROM graves").size(), 0u);

    // The picture decodes at the film's size.
    QImage picture;
    ASSERT_TRUE(picture.loadFromData(entries["1"], "JPG"));
    EXPECT_GT(picture.width(), 100);

    // The sound lasts the line and is the film's own track at that range.
    WriteFile(scratch.File("line.mp3"), entries["0"].toStdString());
    constexpr int kRate = 44100;
    const std::vector<float> exported = MixToMono(DecodeAll(scratch.File("line.mp3"), kRate));
    const double lineMs = (entry.EndFrame - entry.StartFrame) * 40.0;
    EXPECT_NEAR(exported.size() * 1000.0 / kRate, lineMs, 5.0);
    const std::vector<float> film = MixToMono(DecodeAll(line.Range.File, kRate));
    const size_t from = size_t(line.Range.StartUs * kRate / 1000000);
    ASSERT_GT(film.size(), from + exported.size());
    const std::vector<float> reference(film.begin() + ptrdiff_t(from), film.begin() + ptrdiff_t(from + exported.size()));
    double energy = 0;
    for (float s : reference) energy += s * s;
    ASSERT_GT(std::sqrt(energy / reference.size()), 0.01) << "the line is spoken, not silent";
    int lag = 0;
    const double corr = BestCorrelation(reference, exported, 441, &lag);
    EXPECT_GT(corr, 0.9);
    EXPECT_LE(std::abs(lag), 44) << "within 1 ms of the line's own start";
}

TEST_F(AnkiExport, AppendingKeepsTheOldNotesAndMediaAndADamagedFileIsLeftAlone) {
    TAnkiExporter exporter(nullptr, DeadPort());
    const TExportOutcome first = Run(exporter, Line(1));
    ASSERT_TRUE(first.Ok) << first.Message.toStdString();
    const auto before = ZipEntries(first.FilePath);
    const TExportOutcome second = Run(exporter, Line(2));
    ASSERT_TRUE(second.Ok) << second.Message.toStdString();
    EXPECT_EQ(second.FilePath, first.FilePath) << "one deck file per film";

    auto after = ZipEntries(second.FilePath);
    EXPECT_EQ(after["0"], before.at("0"));
    EXPECT_EQ(after["1"], before.at("1"));
    const QJsonObject media = QJsonDocument::fromJson(after["media"]).object();
    EXPECT_EQ(media.size(), 4);
    for (const char* k : {"0", "1", "2", "3"}) EXPECT_TRUE(after.count(k)) << k;
    Collection col(after["collection.anki2"], scratch.File("c2.anki2"));
    auto notes = col.Rows("SELECT id, guid, sfld FROM notes ORDER BY id");
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0][0], notes[1][0]);
    EXPECT_NE(notes[0][1], notes[1][1]);
    EXPECT_EQ(notes[0][2].toString(), ToQString(main->MovieEntries[1].LineText));
    EXPECT_EQ(notes[1][2].toString(), ToQString(main->MovieEntries[2].LineText));
    auto decks = QJsonDocument::fromJson(col.Rows("SELECT decks FROM col")[0][0].toString().toUtf8()).object();
    EXPECT_EQ(decks.size(), 2) << "the default deck and the film's";
    auto cardDecks = col.Rows("SELECT DISTINCT did FROM cards");
    EXPECT_EQ(cardDecks.size(), 1u);

    // A file of that name that is no deck: an error, and the file stays as it was.
    WriteFile(first.FilePath, "not a zip file");
    const TExportOutcome broken = Run(exporter, Line(3));
    EXPECT_FALSE(broken.Ok);
    EXPECT_TRUE(broken.Message.startsWith("The line could not be exported to Anki: ")) << broken.Message.toStdString();
    EXPECT_EQ(ReadFile(first.FilePath), "not a zip file");
    EXPECT_EQ(QDir(QString::fromStdString(docs.Path())).entryList(QDir::Files).size(), 1) << "no temporary file left";
}

TEST_F(AnkiExport, AnkiConnectGetsTheNoteTypeDeckMediaAndNote) {
    FakeAnki anki;
    TAnkiExporter exporter(nullptr, anki.server.serverPort());
    const TLineExport line = Line(4, "A translation");
    const TExportOutcome out = Run(exporter, line);
    ASSERT_TRUE(out.Ok) << out.Message.toStdString();
    EXPECT_TRUE(out.ToAnki);
    EXPECT_EQ(out.Message, "Added to Anki deck \u201C" + ToQString(line.Title) + "\u201D.");
    EXPECT_EQ(anki.Actions(), (std::vector<QString>{"version", "modelNames", "createModel", "createDeck",
                                                    "storeMediaFile", "storeMediaFile", "addNote"}));
    EXPECT_EQ(anki.Param(3, "deck").toString(), ToQString(line.Title));
    const QByteArray sound = QByteArray::fromBase64(anki.Param(4, "data").toString().toLatin1());
    EXPECT_TRUE(sound.startsWith("ID3") || (uchar(sound[0]) == 0xFF)) << "an MP3 file";
    const QJsonObject note = anki.Param(6, "note").toObject();
    EXPECT_EQ(note["deckName"].toString(), ToQString(line.Title));
    EXPECT_EQ(note["modelName"].toString(), QString(kAnkiModelName));
    const QJsonObject fields = note.value("fields").toObject();
    EXPECT_EQ(fields.value("Text").toString(), ToQString(line.Text).toHtmlEscaped());
    EXPECT_EQ(fields.value("Translation").toString(), "A translation");
    EXPECT_EQ(fields.value("Sound").toString(),
              "[sound:" + anki.Param(4, "filename").toString() + "]");
    EXPECT_TRUE(QDir(QString::fromStdString(docs.Path())).entryList(QDir::Files).isEmpty()) << "no deck file";

    // With the note type there already it is not made again; Anki's refusal is said plainly.
    anki.Calls.clear();
    anki.Results["modelNames"] = QJsonArray{"Basic", kAnkiModelName};
    anki.Errors["addNote"] = "cannot create note because it is a duplicate";
    const TExportOutcome refused = Run(exporter, line);
    EXPECT_FALSE(refused.Ok);
    EXPECT_EQ(refused.Message, "Anki did not take the line: cannot create note because it is a duplicate");
    EXPECT_EQ(anki.Actions(), (std::vector<QString>{"version", "modelNames", "createDeck", "storeMediaFile",
                                                    "storeMediaFile", "addNote"}));
    EXPECT_TRUE(QDir(QString::fromStdString(docs.Path())).entryList(QDir::Files).isEmpty());
}

TEST_F(AnkiExport, ASecondExportWaitsForTheFirst) {
    TAnkiExporter exporter(nullptr, DeadPort());
    bool done = false;
    ASSERT_TRUE(exporter.Export(Line(1), [&](const TExportOutcome&) { done = true; }));
    EXPECT_TRUE(exporter.Busy());
    EXPECT_FALSE(exporter.Export(Line(2), [](const TExportOutcome&) { ADD_FAILURE(); }));
    ASSERT_TRUE(WaitUntil([&] { return done; }, 20000));
    EXPECT_FALSE(exporter.Busy());
}

TEST(LineJustHeard, TheLatestLineEndedAtMostThreeSecondsAgo) {
    std::vector<TMovieEntry> lines(2);
    lines[0].StartFrame = 0, lines[0].EndFrame = 50;
    lines[1].StartFrame = 60, lines[1].EndFrame = 100;
    EXPECT_EQ(LineJustHeard(lines, 55), &lines[0]);
    EXPECT_EQ(LineJustHeard(lines, 100), &lines[1]);
    EXPECT_EQ(LineJustHeard(lines, 175), &lines[1]);
    EXPECT_EQ(LineJustHeard(lines, 176), nullptr);
    EXPECT_EQ(LineJustHeard(lines, 40), nullptr);
}

TEST_F(AnkiExport, AServerThatNeverAnswersIsGivenUpQuicklyAndTheDeckFileWritten) {
    QTcpServer silent; // accepts connections, says nothing
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    TAnkiExporter exporter(nullptr, silent.serverPort());
    QElapsedTimer clock;
    clock.start();
    const TExportOutcome out = Run(exporter, Line(1));
    EXPECT_TRUE(out.Ok) << out.Message.toStdString();
    EXPECT_FALSE(out.ToAnki);
    EXPECT_TRUE(QFile::exists(QString::fromStdString(out.FilePath)));
    EXPECT_LT(clock.elapsed(), TAnkiConnect::kProbeTimeoutMs + 4000);
}

// ---- the learner's words: one "Tavolin word" note per word ---------------------

namespace {

TMyWord WordOf(const TMovieEntry& e, const std::string& word, const std::string& form, const std::string& sense) {
    TMyWord w;
    w.Word = word;
    w.DictionaryForm = form;
    w.Reading = "r\xC3\xA9";
    w.Sense = sense;
    w.Line = e.LineText;
    w.SequenceNumber = e.SequenceNumber;
    w.StartFrame = e.StartFrame;
    w.EndFrame = e.EndFrame;
    return w;
}

} // namespace

TEST(AnkiWordNote, FieldsFollowTheWordTypeAndTheSentenceShowsTheWord) {
    TAnkiWordNote note;
    note.Word = "chat";
    note.Reading = "\xCA\x83" "a";
    note.Sense = "cat <animal> & pet";
    note.Line.Text = "Le chat & le chien.";
    note.Line.Translation = "The cat and the dog.";
    note.Line.Film = "Biscuit";
    note.Line.SoundName = "s.mp3";
    note.Line.Sound = "ID3";
    note.Line.PictureName = "p.jpg";
    note.Line.Picture = "JPEG";
    const TAnkiNoteType& type = AnkiWordNoteType();
    EXPECT_STREQ(type.Name, "Tavolin word");
    EXPECT_NE(type.Id, AnkiLineNoteType().Id);
    EXPECT_STREQ(AnkiLineNoteType().Name, kAnkiModelName) << "the line note type is the one decks already have";
    ASSERT_EQ(type.Fields, (std::vector<std::string>{"Word", "DictionaryForm", "Reading", "Sense", "Sentence",
                                                     "Translation", "Sound", "Picture", "Film"}));
    const TAnkiFilledNote filled = FilledWordNote(note);
    ASSERT_EQ(filled.Type, &type);
    ASSERT_EQ(filled.Values.size(), type.Fields.size());
    EXPECT_EQ(filled.Values[0], "chat");
    EXPECT_EQ(filled.Values[1], "chat") << "a word that is its own dictionary form";
    EXPECT_EQ(filled.Values[2], "\xCA\x83" "a");
    EXPECT_EQ(filled.Values[3], "cat &lt;animal&gt; &amp; pet");
    EXPECT_EQ(filled.Values[4], "Le <b>chat</b> &amp; le chien.");
    EXPECT_EQ(filled.Values[5], "The cat and the dog.");
    EXPECT_EQ(filled.Values[6], "[sound:s.mp3]");
    EXPECT_EQ(filled.Values[7], "<img src=\"p.jpg\">");
    EXPECT_EQ(filled.Values[8], "Biscuit");
    ASSERT_EQ(filled.Media.size(), 2u);
    EXPECT_EQ(filled.Media[0].first, "s.mp3");
    EXPECT_EQ(filled.Media[1].second, QByteArray("JPEG"));
    // Every field the templates name exists.
    for (const char* tmpl : {type.Front, type.Back}) {
        const QRegularExpression ref(QStringLiteral("\\{\\{[#/]?([A-Za-z]+)\\}\\}"));
        for (auto it = ref.globalMatch(QString::fromUtf8(tmpl)); it.hasNext();) {
            const std::string name = it.next().captured(1).toStdString();
            if (name == "FrontSide") continue;
            EXPECT_NE(std::find(type.Fields.begin(), type.Fields.end(), name), type.Fields.end()) << name;
        }
    }

    // A word of a sentence without it, a dictionary form of its own, no media.
    TAnkiWordNote bare;
    bare.Word = "mangeons";
    bare.DictionaryForm = "manger";
    bare.Line.Text = "Nous mangeons.";
    TAnkiFilledNote b = FilledWordNote(bare);
    EXPECT_EQ(b.Values[1], "manger");
    EXPECT_EQ(b.Values[4], "Nous <b>mangeons</b>.");
    EXPECT_EQ(b.Values[6], "");
    EXPECT_TRUE(b.Media.empty());
    bare.Line.Text = "Autre phrase.";
    EXPECT_EQ(FilledWordNote(bare).Values[4], "Autre phrase.");
}

TEST_F(AnkiExport, WordsGoIntoTheDeckFileAsWordNotesWithTheirLinesSoundAndPicture) {
    const TMovieEntry a = main->MovieEntries.at(1), b = main->MovieEntries.at(2);
    std::vector<TMyWord> words{WordOf(a, "un", "une", "one"), WordOf(b, "deux", "", "two & more"),
                               WordOf(a, "trois", "", "three"), WordOf(a, "quatre", "", "four")};
    words[2].Course = "another course"; // no film at hand for it
    std::map<int, std::string> tr{{a.SequenceNumber, "Line one in English"}};
    TWordsExport what;
    for (const TMyWord& w : words) {
        what.Words.push_back(w);
        what.Lines.push_back(WordLineExport(*main, movie.get(), w, tr, docs.Path()));
    }
    what.Title = what.Lines[0].Title;
    what.DeckFolder = docs.Path();
    EXPECT_FALSE(what.Lines[0].Range.File.empty());
    EXPECT_TRUE(what.Lines[2].Range.File.empty()) << "a word of another course has no media";

    // A deck file with a line note in it already: it keeps it.
    TAnkiExporter lines(nullptr, DeadPort());
    const TExportOutcome first = Run(lines, Line(3));
    ASSERT_TRUE(first.Ok) << first.Message.toStdString();

    TAnkiWordExporter exporter(nullptr, DeadPort());
    TWordsOutcome out;
    bool done = false;
    ASSERT_TRUE(exporter.Export(what, [&](const TWordsOutcome& o) {
        out = o;
        done = true;
    }));
    EXPECT_TRUE(exporter.Busy());
    EXPECT_FALSE(exporter.Export(what, [](const TWordsOutcome&) { ADD_FAILURE(); }));
    ASSERT_TRUE(WaitUntil([&] { return done; }, 30000));
    ASSERT_TRUE(out.Ok) << out.Message.toStdString();
    EXPECT_FALSE(out.ToAnki);
    EXPECT_EQ(out.Exported, 4);
    EXPECT_EQ(out.WithoutMedia, 1);
    EXPECT_EQ(out.FilePath, first.FilePath) << "the film's one deck file";
    EXPECT_TRUE(out.Message.startsWith("Anki is not running: 4 words were added to the deck file " +
                                       QString::fromStdString(out.FilePath)))
        << out.Message.toStdString();
    EXPECT_TRUE(out.Message.contains("1 word without the line's sound and picture")) << out.Message.toStdString();

    auto entries = ZipEntries(out.FilePath);
    const QJsonObject media = QJsonDocument::fromJson(entries["media"]).object();
    // The line note's 2 files and 2 for each line the words came from: "un"
    // and "quatre" share line a's.
    ASSERT_EQ(media.size(), 6) << QJsonDocument(media).toJson().toStdString();
    for (auto it = media.begin(); it != media.end(); ++it) EXPECT_TRUE(entries.count(it.key().toStdString()));
    Collection col(entries["collection.anki2"], scratch.File("w.anki2"));
    ASSERT_TRUE(col.ok);
    const QJsonObject models =
        QJsonDocument::fromJson(col.Rows("SELECT models FROM col")[0][0].toString().toUtf8()).object();
    ASSERT_EQ(models.size(), 2);
    const QJsonObject wordModel = models.value(QString::number(AnkiWordNoteType().Id)).toObject();
    EXPECT_EQ(wordModel["name"].toString(), "Tavolin word");
    EXPECT_EQ(wordModel["flds"].toArray().size(), 9);
    const QJsonArray fields = wordModel["flds"].toArray();
    EXPECT_EQ(fields.at(4).toObject().value("name").toString(), "Sentence");
    // Read with at() and value(): operator[] on a temporary array gives a
    // reference that crashed under clang's sanitizers.
    const QJsonArray req = wordModel["req"].toArray();
    const QJsonArray firstReq = req.at(0).toArray();
    EXPECT_EQ(firstReq.at(2).toArray(), QJsonArray{0});
    EXPECT_TRUE(models.contains(QString::number(AnkiLineNoteType().Id)));

    auto notes = col.Rows(QStringLiteral("SELECT flds, sfld, mid FROM notes WHERE mid = %1 ORDER BY id")
                              .arg(AnkiWordNoteType().Id));
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(col.Rows("SELECT * FROM notes").size(), 5u);
    EXPECT_EQ(col.Rows("SELECT * FROM cards").size(), 5u);
    const QStringList un = notes[0][0].toString().split(QChar(0x1f));
    const QStringList deux = notes[1][0].toString().split(QChar(0x1f));
    const QStringList trois = notes[2][0].toString().split(QChar(0x1f));
    ASSERT_EQ(un.size(), 9);
    ASSERT_EQ(trois.size(), 9);
    EXPECT_EQ(notes[0][1].toString(), "un");
    EXPECT_EQ(un[1], "une");
    EXPECT_EQ(un[2], QString::fromUtf8("r\xC3\xA9"));
    EXPECT_EQ(un[3], "one");
    EXPECT_TRUE(un[4].contains("<b>un</b>") || !ToQString(a.LineText).contains("un")) << un[4].toStdString();
    EXPECT_EQ(QString(un[4]).remove("<b>").remove("</b>"), ToQString(a.LineText).toHtmlEscaped());
    EXPECT_EQ(un[5], "Line one in English");
    EXPECT_EQ(un[8], ToQString(what.Title).toHtmlEscaped());
    EXPECT_EQ(deux[1], "deux");
    EXPECT_EQ(deux[3], "two &amp; more");
    EXPECT_TRUE(deux[5].isEmpty());
    // Each word's sound and picture are its own line's, and in the deck.
    std::set<QString> names;
    for (auto it = media.begin(); it != media.end(); ++it) names.insert(it->toString());
    for (const QStringList& f : {un, deux}) {
        ASSERT_TRUE(f[6].startsWith("[sound:") && f[6].endsWith(".mp3]")) << f[6].toStdString();
        EXPECT_TRUE(names.count(f[6].mid(7, f[6].size() - 8))) << f[6].toStdString();
        EXPECT_TRUE(f[7].startsWith("<img src=\"")) << f[7].toStdString();
    }
    EXPECT_NE(un[6], deux[6]);
    const QStringList quatre = notes[3][0].toString().split(QChar(0x1f));
    ASSERT_EQ(quatre.size(), 9);
    EXPECT_EQ(quatre[6], un[6]) << "one line, one sound";
    EXPECT_EQ(quatre[7], un[7]);
    EXPECT_EQ(trois[3], "three");
    EXPECT_TRUE(trois[6].isEmpty() && trois[7].isEmpty()) << "no media for a word of another course";
    EXPECT_TRUE(trois[5].isEmpty()) << "nor another course's translation";
    // The sound of "un" is line a's own length.
    const QString soundName = un[6].mid(7, un[6].size() - 8);
    QString soundKey;
    for (auto it = media.begin(); it != media.end(); ++it)
        if (it->toString() == soundName) soundKey = it.key();
    WriteFile(scratch.File("un.mp3"), entries[soundKey.toStdString()].toStdString());
    const std::vector<float> sound = MixToMono(DecodeAll(scratch.File("un.mp3"), 44100));
    EXPECT_NEAR(sound.size() * 1000.0 / 44100, (a.EndFrame - a.StartFrame) * 40.0, 5.0);
}

TEST_F(AnkiExport, WordsThroughAnkiConnectGetTheWordTypeAndDuplicatesAreCounted) {
    FakeAnki anki;
    anki.Results["modelNames"] = QJsonArray{"Basic", kAnkiModelName};
    const TMovieEntry a = main->MovieEntries.at(1), b = main->MovieEntries.at(2);
    TWordsExport what;
    for (const TMyWord& w : {WordOf(a, "un", "une", "one"), WordOf(b, "deux", "", "two")}) {
        what.Words.push_back(w);
        what.Lines.push_back(WordLineExport(*main, movie.get(), w, {}, docs.Path()));
    }
    what.Title = what.Lines[0].Title;
    what.DeckFolder = docs.Path();
    TAnkiWordExporter exporter(nullptr, anki.server.serverPort());
    auto run = [&] {
        TWordsOutcome out;
        bool done = false;
        EXPECT_TRUE(exporter.Export(what, [&](const TWordsOutcome& o) {
            out = o;
            done = true;
        }));
        EXPECT_TRUE(WaitUntil([&] { return done; }, 30000));
        return out;
    };
    const TWordsOutcome out = run();
    ASSERT_TRUE(out.Ok) << out.Message.toStdString();
    EXPECT_TRUE(out.ToAnki);
    EXPECT_EQ(out.Exported, 2);
    EXPECT_EQ(out.Message, "2 words exported to Anki (deck \u201C" + ToQString(what.Title) + "\u201D).");
    const std::vector<QString> one{"version", "modelNames", "createModel", "createDeck", "storeMediaFile",
                                   "storeMediaFile", "addNote"};
    std::vector<QString> both = one;
    both.insert(both.end(), one.begin(), one.end());
    EXPECT_EQ(anki.Actions(), both);
    EXPECT_EQ(anki.Param(2, "modelName").toString(), "Tavolin word");
    EXPECT_EQ(anki.Param(2, "inOrderFields").toArray().size(), 9);
    const QJsonObject note = anki.Param(6, "note").toObject();
    EXPECT_EQ(note["modelName"].toString(), "Tavolin word");
    EXPECT_EQ(note["deckName"].toString(), ToQString(what.Title));
    const QJsonObject fields = note["fields"].toObject();
    EXPECT_EQ(fields["Word"].toString(), "un");
    EXPECT_EQ(fields["DictionaryForm"].toString(), "une");
    EXPECT_EQ(fields["Sense"].toString(), "one");
    EXPECT_EQ(fields["Sound"].toString(), "[sound:" + anki.Param(4, "filename").toString() + "]");
    EXPECT_EQ(fields["Picture"].toString(), "<img src=\"" + anki.Param(5, "filename").toString() + "\">");
    EXPECT_TRUE(QDir(QString::fromStdString(docs.Path())).entryList(QDir::Files).isEmpty()) << "no deck file";

    // Exported again: Anki has both, and says so; nothing is written beside it.
    anki.Calls.clear();
    anki.Results["modelNames"] = QJsonArray{"Basic", kAnkiModelName, "Tavolin word"};
    anki.Errors["addNote"] = "cannot create note because it is a duplicate";
    const TWordsOutcome again = run();
    EXPECT_TRUE(again.Ok);
    EXPECT_EQ(again.Exported, 0);
    EXPECT_EQ(again.AlreadyThere, 2);
    EXPECT_EQ(again.Message, "No new words for Anki (deck \u201C" + ToQString(what.Title) +
                                 "\u201D). 2 words were in the deck already.");
    const std::vector<QString> actions = anki.Actions();
    EXPECT_EQ(std::count(actions.begin(), actions.end(), QString("createModel")), 0);
    EXPECT_EQ(std::count(actions.begin(), actions.end(), QString("addNote")), 2);

    // Any other refusal is said with Anki's reason.
    anki.Errors["addNote"] = "deck is read-only";
    const TWordsOutcome refused = run();
    EXPECT_FALSE(refused.Ok);
    EXPECT_EQ(refused.Message, "Anki did not take the words: deck is read-only");
}
