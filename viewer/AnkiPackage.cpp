#include "viewer/AnkiPackage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <list>
#include <memory>

namespace tav {

namespace {

// Every Tavolin deck shares its note types (fixed ids), so Anki merges
// them on import instead of creating a copy per film.
constexpr qint64 kDefaultDeckId = 1;
const char* const kCollectionEntry = "collection.anki2";
const char* const kMediaEntry = "media";

const char* const kSchema[] = {
    "CREATE TABLE col (id integer primary key, crt integer not null, mod integer not null, scm integer not null, "
    "ver integer not null, dty integer not null, usn integer not null, ls integer not null, conf text not null, "
    "models text not null, decks text not null, dconf text not null, tags text not null)",
    "CREATE TABLE notes (id integer primary key, guid text not null, mid integer not null, mod integer not null, "
    "usn integer not null, tags text not null, flds text not null, sfld integer not null, csum integer not null, "
    "flags integer not null, data text not null)",
    "CREATE TABLE cards (id integer primary key, nid integer not null, did integer not null, ord integer not null, "
    "mod integer not null, usn integer not null, type integer not null, queue integer not null, due integer not "
    "null, ivl integer not null, factor integer not null, reps integer not null, lapses integer not null, left "
    "integer not null, odue integer not null, odid integer not null, flags integer not null, data text not null)",
    "CREATE TABLE revlog (id integer primary key, cid integer not null, usn integer not null, ease integer not "
    "null, ivl integer not null, lastIvl integer not null, factor integer not null, time integer not null, type "
    "integer not null)",
    "CREATE TABLE graves (usn integer not null, oid integer not null, type integer not null)",
    "CREATE INDEX ix_notes_usn on notes (usn)",
    "CREATE INDEX ix_cards_usn on cards (usn)",
    "CREATE INDEX ix_revlog_usn on revlog (usn)",
    "CREATE INDEX ix_cards_nid on cards (nid)",
    "CREATE INDEX ix_cards_sched on cards (did, queue, due)",
    "CREATE INDEX ix_revlog_cid on revlog (cid)",
    "CREATE INDEX ix_notes_csum on notes (csum)",
};

QJsonArray Pair() { return QJsonArray{0, 0}; }

QJsonObject DeckJson(qint64 id, const QString& name, qint64 modSec) {
    return QJsonObject{{"id", id},           {"name", name},           {"mod", modSec},       {"usn", -1},
                       {"lrnToday", Pair()}, {"revToday", Pair()},     {"newToday", Pair()},  {"timeToday", Pair()},
                       {"collapsed", false}, {"browserCollapsed", false}, {"desc", ""},       {"dyn", 0},
                       {"conf", 1},          {"extendNew", 0},         {"extendRev", 0}};
}

QJsonObject ModelJson(const TAnkiNoteType& type, qint64 deckId) {
    QJsonArray fields;
    int ord = 0;
    for (const std::string& name : type.Fields)
        fields.append(QJsonObject{{"name", QString::fromStdString(name)}, {"ord", ord++}, {"sticky", false},
                                  {"rtl", false}, {"font", "Arial"}, {"size", 20}, {"media", QJsonArray{}}});
    const QJsonObject card{{"name", "Card 1"}, {"ord", 0},  {"qfmt", type.Front}, {"afmt", type.Back},
                           {"bqfmt", ""},      {"bafmt", ""}, {"did", QJsonValue::Null}, {"bfont", ""},
                           {"bsize", 0}};
    QJsonArray required;
    for (int f : type.Required) required.append(f);
    // One requirement, [0, "any", [fields]]: appended, as QJsonArray{array}
    // may be taken for a copy of the inner array by one compiler and not another.
    QJsonArray req;
    req.append(QJsonArray{0, "any", required});
    return QJsonObject{
        {"id", type.Id},
        {"name", type.Name},
        {"type", 0},
        {"mod", type.Id / 1000},
        {"usn", -1},
        {"sortf", 0},
        {"did", deckId},
        {"tmpls", QJsonArray{card}},
        {"flds", fields},
        {"css", type.Css},
        {"latexPre", "\\documentclass[12pt]{article}\n\\special{papersize=3in,5in}\n\\usepackage[utf8]{inputenc}\n"
                     "\\usepackage{amssymb,amsmath}\n\\pagestyle{empty}\n\\setlength{\\parindent}{0in}\n"
                     "\\begin{document}\n"},
        {"latexPost", "\\end{document}"},
        {"latexsvg", false},
        {"req", req},
        {"tags", QJsonArray{}},
        {"vers", QJsonArray{}}};
}

QJsonObject DeckConfigJson() {
    const QJsonObject fresh{{"bury", false},       {"delays", QJsonArray{1, 10}}, {"initialFactor", 2500},
                            {"ints", QJsonArray{1, 4, 0}}, {"order", 1},      {"perDay", 20}};
    const QJsonObject rev{{"bury", false}, {"ease4", 1.3}, {"ivlFct", 1}, {"maxIvl", 36500}, {"perDay", 200},
                          {"hardFactor", 1.2}};
    const QJsonObject lapse{{"delays", QJsonArray{10}}, {"leechAction", 1}, {"leechFails", 8}, {"minInt", 1},
                            {"mult", 0}};
    return QJsonObject{{"id", 1},        {"name", "Default"}, {"mod", 0},     {"usn", 0},        {"maxTaken", 60},
                       {"autoplay", true}, {"timer", 0},      {"replayq", true}, {"dyn", false}, {"new", fresh},
                       {"rev", rev},     {"lapse", lapse}};
}

QJsonObject CollectionConfigJson() {
    return QJsonObject{{"activeDecks", QJsonArray{1}}, {"curDeck", 1},      {"newSpread", 0},
                       {"collapseTime", 1200},         {"timeLim", 0},      {"estTimes", true},
                       {"dueCounts", true},            {"curModel", QString::number(AnkiLineNoteType().Id)},
                       {"nextPos", 1},                 {"sortType", "noteFld"}, {"sortBackwards", false},
                       {"addToCur", true}};
}

QString Compact(const QJsonObject& o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)); }

// Anki's own guid alphabet: 64 random bits written in base 91.
QString NewGuid() {
    static const char table[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!#$%&()*+,-./:;<=>?@[]^_`{|}~";
    quint64 v = QRandomGenerator::global()->generate64();
    QString s;
    do {
        s.prepend(QChar(table[v % 91]));
        v /= 91;
    } while (v);
    return s;
}

// One SQLite connection of its own, closed and removed when it goes.
class TCollectionDb {
public:
    explicit TCollectionDb(const QString& file)
        : name_(QStringLiteral("tavolin-anki-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db.setDatabaseName(file);
        if (!db.open()) throw EAnkiError("the deck's database could not be opened: " + db.lastError().text().toStdString());
    }
    ~TCollectionDb() {
        {
            QSqlDatabase db = QSqlDatabase::database(name_, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(name_);
    }
    QSqlDatabase Db() const { return QSqlDatabase::database(name_, false); }
    void Exec(const QString& sql) {
        QSqlQuery q(Db());
        if (!q.exec(sql)) Fail(q);
    }
    static void Fail(const QSqlQuery& q) {
        throw EAnkiError("the deck's database could not be written: " + q.lastError().text().toStdString());
    }

private:
    QString name_;
};

void CreateCollection(TCollectionDb& db, qint64 nowMs) {
    for (const char* sql : kSchema) db.Exec(QString::fromLatin1(sql));
    QSqlQuery q(db.Db());
    q.prepare("INSERT INTO col VALUES (1, ?, ?, ?, 11, 0, 0, 0, ?, '{}', ?, ?, '{}')");
    const QDateTime today(QDate::currentDate(), QTime(4, 0));
    q.addBindValue(today.toSecsSinceEpoch());
    q.addBindValue(nowMs);
    q.addBindValue(nowMs);
    q.addBindValue(Compact(CollectionConfigJson()));
    q.addBindValue(Compact(QJsonObject{{"1", DeckJson(kDefaultDeckId, "Default", nowMs / 1000)}}));
    q.addBindValue(Compact(QJsonObject{{"1", DeckConfigJson()}}));
    if (!q.exec()) TCollectionDb::Fail(q);
}

// Finds or adds the deck and the note type, then the note and its card.
void AddNote(TCollectionDb& db, const std::string& deckName, const TAnkiFilledNote& note, qint64 nowMs) {
    if (!note.Type || note.Values.size() != note.Type->Fields.size() || note.Values.empty())
        throw EAnkiError("a note does not match its note type");
    const TAnkiNoteType& type = *note.Type;
    QSqlQuery col(db.Db());
    if (!col.exec("SELECT models, decks FROM col") || !col.next())
        throw EAnkiError("the deck file holds no Anki collection");
    QJsonObject models = QJsonDocument::fromJson(col.value(0).toString().toUtf8()).object();
    QJsonObject decks = QJsonDocument::fromJson(col.value(1).toString().toUtf8()).object();
    col.finish();

    const QString name = QString::fromStdString(deckName);
    qint64 deckId = 0;
    for (auto it = decks.begin(); it != decks.end(); ++it)
        if (it->toObject().value("name").toString() == name) deckId = it.key().toLongLong();
    if (!deckId) {
        deckId = nowMs;
        while (decks.contains(QString::number(deckId))) ++deckId;
        decks.insert(QString::number(deckId), DeckJson(deckId, name, nowMs / 1000));
    }
    if (!models.contains(QString::number(type.Id))) models.insert(QString::number(type.Id), ModelJson(type, deckId));

    QSqlQuery upd(db.Db());
    upd.prepare("UPDATE col SET models = ?, decks = ?, mod = ?");
    upd.addBindValue(Compact(models));
    upd.addBindValue(Compact(decks));
    upd.addBindValue(nowMs);
    if (!upd.exec()) TCollectionDb::Fail(upd);

    // Ids are creation times in ms; a later id when the clock has not moved on.
    auto nextId = [&](const char* table) {
        QSqlQuery q(db.Db());
        qint64 last = 0;
        if (q.exec(QString("SELECT max(id) FROM %1").arg(table)) && q.next()) last = q.value(0).toLongLong();
        return std::max(nowMs, last + 1);
    };
    qint64 position = 1;
    {
        QSqlQuery q(db.Db());
        if (q.exec("SELECT count(*) FROM notes") && q.next()) position = q.value(0).toLongLong() + 1;
    }
    const std::vector<std::string>& values = note.Values;
    std::string flds;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) flds += '\x1f';
        flds += values[i];
    }
    const qint64 noteId = nextId("notes");
    QSqlQuery n(db.Db());
    n.prepare("INSERT INTO notes VALUES (?, ?, ?, ?, -1, ' tavolin ', ?, ?, ?, 0, '')");
    n.addBindValue(noteId);
    n.addBindValue(NewGuid());
    n.addBindValue(type.Id);
    n.addBindValue(nowMs / 1000);
    n.addBindValue(QString::fromStdString(flds));
    n.addBindValue(QString::fromStdString(StripHtmlKeepMedia(values[0])));
    n.addBindValue(AnkiFieldChecksum(values[0]));
    if (!n.exec()) TCollectionDb::Fail(n);

    QSqlQuery c(db.Db());
    c.prepare("INSERT INTO cards VALUES (?, ?, ?, 0, ?, -1, 0, 0, ?, 0, 0, 0, 0, 0, 0, 0, 0, '')");
    c.addBindValue(nextId("cards"));
    c.addBindValue(noteId);
    c.addBindValue(deckId);
    c.addBindValue(nowMs / 1000);
    c.addBindValue(position);
    if (!c.exec()) TCollectionDb::Fail(c);
}

struct TZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using TZip = std::unique_ptr<zip_t, TZipCloser>;

QByteArray ReadEntry(zip_t* z, zip_int64_t index) {
    zip_stat_t st;
    if (zip_stat_index(z, zip_uint64_t(index), 0, &st) != 0) throw EAnkiError("the deck file is damaged");
    zip_file_t* f = zip_fopen_index(z, zip_uint64_t(index), 0);
    if (!f) throw EAnkiError("the deck file is damaged");
    QByteArray bytes(qsizetype(st.size), '\0');
    const zip_int64_t got = zip_fread(f, bytes.data(), st.size);
    zip_fclose(f);
    if (got != zip_int64_t(st.size)) throw EAnkiError("the deck file is damaged");
    return bytes;
}

} // namespace

std::string AnkiPackagePath(const std::string& folder, const std::string& deckName) {
    std::string safe;
    for (unsigned char c : deckName) safe += (c < 32 || std::string("/\\:*?\"<>|").find(char(c)) != std::string::npos) ? '_' : char(c);
    while (!safe.empty() && (safe.back() == ' ' || safe.back() == '.')) safe.pop_back();
    while (!safe.empty() && (safe.front() == ' ' || safe.front() == '.')) safe.erase(0, 1);
    if (safe.empty()) safe = "Tavolin";
    return folder + "/" + safe + ".apkg";
}

void AppendToAnkiPackage(const std::string& path, const std::string& deckName, const TAnkiNote& note) {
    AppendToAnkiPackage(path, deckName, std::vector<TAnkiFilledNote>{FilledLineNote(note)});
}

void AppendToAnkiPackage(const std::string& path, const std::string& deckName,
                         const std::vector<TAnkiFilledNote>& notes) {
    QTemporaryDir work;
    if (!work.isValid()) throw EAnkiError("no temporary folder for the deck");
    const QString collection = work.filePath(kCollectionEntry);
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();

    // The old package, read but never changed.
    TZip old;
    QJsonObject media;
    std::vector<std::pair<std::string, zip_int64_t>> oldMedia; // entry name, index in the old package
    const bool exists = QFileInfo::exists(QString::fromStdString(path));
    if (exists) {
        int err = 0;
        old.reset(zip_open(path.c_str(), ZIP_RDONLY, &err));
        if (!old) throw EAnkiError("the deck file " + path + " is not a deck file that can be read");
        const zip_int64_t col = zip_name_locate(old.get(), kCollectionEntry, 0);
        if (col < 0) throw EAnkiError("the deck file " + path + " holds no Anki collection");
        QFile out(collection);
        const QByteArray bytes = ReadEntry(old.get(), col);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
            throw EAnkiError("no room for the deck in the temporary folder");
        out.close();
        const zip_int64_t m = zip_name_locate(old.get(), kMediaEntry, 0);
        if (m >= 0) media = QJsonDocument::fromJson(ReadEntry(old.get(), m)).object();
        for (auto it = media.begin(); it != media.end(); ++it) {
            const zip_int64_t at = zip_name_locate(old.get(), it.key().toUtf8().constData(), 0);
            if (at >= 0) oldMedia.emplace_back(it.key().toStdString(), at);
        }
    }
    {
        TCollectionDb db(collection);
        if (!exists) CreateCollection(db, nowMs);
        if (!db.Db().transaction()) throw EAnkiError("the deck's database is busy");
        for (const TAnkiFilledNote& note : notes) AddNote(db, deckName, note, nowMs);
        if (!db.Db().commit()) throw EAnkiError("the deck's database could not be written");
    }

    // New media get the next free numbers.
    int next = 0;
    for (auto it = media.begin(); it != media.end(); ++it) next = std::max(next, it.key().toInt() + 1);
    std::list<QByteArray> keep; // buffers stay alive until the zip is written
    std::vector<std::pair<std::string, const QByteArray*>> fresh;
    // A file several notes share (two words of one line) goes in once.
    QSet<QString> names;
    for (auto it = media.begin(); it != media.end(); ++it) names.insert(it->toString());
    for (const TAnkiFilledNote& note : notes)
        for (const auto& [name, bytes] : note.Media) {
            const QString n = QString::fromStdString(name);
            if (name.empty() || bytes.isEmpty() || names.contains(n)) continue;
            names.insert(n);
            const QString key = QString::number(next++);
            media.insert(key, n);
            fresh.emplace_back(key.toStdString(), &bytes);
        }
    keep.push_back(QJsonDocument(media).toJson(QJsonDocument::Compact));
    const QByteArray& mediaJson = keep.back();

    const std::string temp = path + ".part" + std::to_string(QRandomGenerator::global()->bounded(1000000));
    int err = 0;
    TZip out(zip_open(temp.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err));
    if (!out) throw EAnkiError("the deck file " + path + " cannot be written (is the folder writable?)");
    auto add = [&](const std::string& entry, zip_source_t* src) {
        if (!src || zip_file_add(out.get(), entry.c_str(), src, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
            if (src) zip_source_free(src);
            throw EAnkiError(std::string("the deck file could not be put together: ") + zip_strerror(out.get()));
        }
    };
    try {
        add(kCollectionEntry, zip_source_file(out.get(), collection.toLocal8Bit().constData(), 0, -1));
        add(kMediaEntry, zip_source_buffer(out.get(), mediaJson.constData(), zip_uint64_t(mediaJson.size()), 0));
        for (const auto& [entry, index] : oldMedia)
            add(entry, zip_source_zip(out.get(), old.get(), zip_uint64_t(index), 0, 0, -1));
        for (const auto& [entry, bytes] : fresh)
            add(entry, zip_source_buffer(out.get(), bytes->constData(), zip_uint64_t(bytes->size()), 0));
        if (zip_close(out.get()) != 0)
            throw EAnkiError(std::string("the deck file could not be written: ") + zip_strerror(out.get()));
        out.release();
    } catch (...) {
        out.reset();
        std::remove(temp.c_str());
        throw;
    }
    old.reset();
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw EAnkiError("the deck file " + path + " could not be replaced");
    }
}

} // namespace tav
