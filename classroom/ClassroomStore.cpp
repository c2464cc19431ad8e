#include "classroom/ClassroomStore.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <stdexcept>

namespace classroom {

namespace {

// Numbered migrations: entry i takes the schema from version i to i + 1.
const char* const kMigrations[][5] = {
    {"CREATE TABLE profile (target TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL, "
     "value TEXT NOT NULL, PRIMARY KEY (target, section, key))",
     "CREATE TABLE session (id INTEGER PRIMARY KEY, learner TEXT NOT NULL, target TEXT NOT NULL, "
     "computer TEXT NOT NULL, pid INTEGER NOT NULL, started TEXT NOT NULL, ended TEXT, closed_by_timeout INTEGER)",
     "CREATE TABLE activity (id INTEGER PRIMARY KEY, session_id INTEGER NOT NULL REFERENCES session(id), "
     "code INTEGER NOT NULL, started TEXT, ended TEXT, score INTEGER)",
     "CREATE TABLE score (session_id INTEGER PRIMARY KEY REFERENCES session(id), total INTEGER NOT NULL, "
     "award_level INTEGER NOT NULL, updated TEXT NOT NULL)",
     nullptr},
};

QString Now() { return QDateTime::currentDateTimeUtc().toString(Qt::ISODate); }

[[noreturn]] void Fail(const QString& what, const QSqlError& error) {
    throw std::runtime_error((what + ": " + error.text()).toStdString());
}

// A null QString would bind as SQL NULL; an empty text is meant.
QVariant Text(const QString& s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }

// One statement with bound values; throws on failure.
QSqlQuery Exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q(db);
    if (!q.prepare(sql)) Fail(sql, q.lastError());
    for (const QVariant& v : values) q.addBindValue(v);
    if (!q.exec()) Fail(sql, q.lastError());
    return q;
}

// Runs fn inside a transaction: committed when it returns, rolled back when it throws.
template <class F>
void InTransaction(QSqlDatabase& db, F&& fn) {
    if (!db.transaction()) Fail(QStringLiteral("begin"), db.lastError());
    try {
        fn();
    } catch (...) {
        db.rollback();
        throw;
    }
    if (!db.commit()) Fail(QStringLiteral("commit"), db.lastError());
}

} // namespace

TClassroomStore::TClassroomStore(const QString& sqliteFile, const QString& connectionName) : name_(connectionName) {
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db_.setDatabaseName(sqliteFile);
    if (!db_.open()) Fail("Couldn't open " + sqliteFile, db_.lastError());
    // A confirmed write is on disk before the answer goes out.
    Exec(db_, QStringLiteral("PRAGMA synchronous = FULL"));
    Exec(db_, QStringLiteral("PRAGMA foreign_keys = ON"));
    Migrate();
}

TClassroomStore::~TClassroomStore() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

int TClassroomStore::SchemaVersion() const {
    QSqlQuery q = Exec(db_, QStringLiteral("SELECT version FROM schema_version"));
    return q.next() ? q.value(0).toInt() : 0;
}

void TClassroomStore::Migrate() {
    InTransaction(db_, [&] {
        Exec(db_, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
        QSqlQuery q = Exec(db_, QStringLiteral("SELECT version FROM schema_version"));
        if (!q.next()) Exec(db_, QStringLiteral("INSERT INTO schema_version VALUES (0)"));
    });
    const int known = int(std::size(kMigrations));
    for (int version = SchemaVersion(); version < known; ++version) {
        InTransaction(db_, [&] {
            for (const char* const* sql = kMigrations[version]; *sql; ++sql) Exec(db_, QString::fromLatin1(*sql));
            Exec(db_, QStringLiteral("UPDATE schema_version SET version = ?"), {version + 1});
        });
    }
    if (SchemaVersion() > known)
        throw std::runtime_error("The classroom database was made by a newer manager");
}

QString TClassroomStore::ReadProfile(const QString& target, const QString& section, const QString& key,
                                     const QString& defaultValue) const {
    QSqlQuery q = Exec(db_, QStringLiteral("SELECT value FROM profile WHERE target = ? AND section = ? AND key = ?"),
                       {Text(target), Text(section), Text(key)});
    return q.next() ? q.value(0).toString() : defaultValue;
}

void TClassroomStore::WriteProfile(const QString& target, const QString& section, const QString& key,
                                   const QString& value) {
    InTransaction(db_, [&] {
        if (key.isEmpty() && value.isEmpty())
            Exec(db_, QStringLiteral("DELETE FROM profile WHERE target = ? AND section = ?"), {Text(target), Text(section)});
        else
            Exec(db_,
                 QStringLiteral("INSERT INTO profile (target, section, key, value) VALUES (?, ?, ?, ?) "
                                "ON CONFLICT (target, section, key) DO UPDATE SET value = excluded.value"),
                 {Text(target), Text(section), Text(key), Text(value)});
    });
}

qint64 TClassroomStore::StartSession(const QString& learner, const QString& target, const QString& computer,
                                     qint64 pid) {
    qint64 id = 0;
    InTransaction(db_, [&] {
        QSqlQuery q = Exec(db_,
                           QStringLiteral("INSERT INTO session (learner, target, computer, pid, started) "
                                          "VALUES (?, ?, ?, ?, ?)"),
                           {Text(learner), Text(target), Text(computer), pid, Now()});
        id = q.lastInsertId().toLongLong();
    });
    return id;
}

void TClassroomStore::EndSession(qint64 session, bool closedByTimeout) {
    InTransaction(db_, [&] {
        Exec(db_, QStringLiteral("UPDATE session SET ended = ?, closed_by_timeout = ? WHERE id = ?"),
             {Now(), closedByTimeout ? 1 : 0, session});
    });
}

void TClassroomStore::StartActivity(qint64 session, int code) {
    InTransaction(db_, [&] {
        Exec(db_, QStringLiteral("INSERT INTO activity (session_id, code, started) VALUES (?, ?, ?)"),
             {session, code, Now()});
    });
}

void TClassroomStore::EndActivity(qint64 session, int code, int score) {
    InTransaction(db_, [&] {
        QSqlQuery open = Exec(db_,
                              QStringLiteral("SELECT id FROM activity WHERE session_id = ? AND code = ? AND ended "
                                             "IS NULL ORDER BY id DESC LIMIT 1"),
                              {session, code});
        if (open.next())
            Exec(db_, QStringLiteral("UPDATE activity SET ended = ?, score = ? WHERE id = ?"),
                 {Now(), score, open.value(0)});
        else
            Exec(db_, QStringLiteral("INSERT INTO activity (session_id, code, ended, score) VALUES (?, ?, ?, ?)"),
                 {session, code, Now(), score});
    });
}

void TClassroomStore::SetScore(qint64 session, int total, int awardLevel) {
    InTransaction(db_, [&] {
        Exec(db_,
             QStringLiteral("INSERT INTO score (session_id, total, award_level, updated) VALUES (?, ?, ?, ?) "
                            "ON CONFLICT (session_id) DO UPDATE SET total = excluded.total, "
                            "award_level = excluded.award_level, updated = excluded.updated"),
             {session, total, awardLevel, Now()});
    });
}

TSessionSummary TClassroomStore::Summary(qint64 session) const {
    TSessionSummary s;
    QSqlQuery q = Exec(db_, QStringLiteral("SELECT learner, target FROM session WHERE id = ?"), {session});
    if (!q.next()) return s;
    s.Learner = q.value(0).toString();
    s.Target = q.value(1).toString();
    q = Exec(db_, QStringLiteral("SELECT COUNT(*) FROM activity WHERE session_id = ?"), {session});
    if (q.next()) s.Activities = q.value(0).toInt();
    q = Exec(db_,
             QStringLiteral("SELECT score FROM activity WHERE session_id = ? AND ended IS NOT NULL "
                            "ORDER BY id DESC LIMIT 1"),
             {session});
    if (q.next()) s.LastScore = q.value(0).toInt();
    q = Exec(db_, QStringLiteral("SELECT total, award_level FROM score WHERE session_id = ?"), {session});
    if (q.next()) {
        s.Total = q.value(0).toInt();
        s.AwardLevel = q.value(1).toInt();
    }
    return s;
}

} // namespace classroom
