#include "classroom/ClassroomStore.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <QVariant>

#include <algorithm>
#include <stdexcept>

namespace classroom {

namespace {

// Numbered migrations: entry i takes the schema from version i to i + 1.
// The same text serves both databases; %ID% and %REF% stand for the
// auto-numbered key and a reference to it, which they spell differently.
const std::vector<std::vector<const char*>> kMigrations = {
    {"CREATE TABLE profile (target TEXT NOT NULL, section TEXT NOT NULL, key TEXT NOT NULL, "
     "value TEXT NOT NULL, PRIMARY KEY (target, section, key))",
     "CREATE TABLE session (id %ID%, learner TEXT NOT NULL, target TEXT NOT NULL, "
     "computer TEXT NOT NULL, pid INTEGER NOT NULL, started TEXT NOT NULL, ended TEXT, closed_by_timeout INTEGER)",
     "CREATE TABLE activity (id %ID%, session_id %REF% NOT NULL REFERENCES session(id), "
     "code INTEGER NOT NULL, started TEXT, ended TEXT, score INTEGER)",
     "CREATE TABLE score (session_id %REF% PRIMARY KEY REFERENCES session(id), total INTEGER NOT NULL, "
     "award_level INTEGER NOT NULL, updated TEXT NOT NULL)"},
    {"ALTER TABLE session ADD COLUMN last_seen TEXT",
     "UPDATE session SET last_seen = COALESCE(ended, started)",
     "CREATE TABLE assignment (computer TEXT PRIMARY KEY, learner TEXT NOT NULL, content_root TEXT NOT NULL, "
     "target TEXT NOT NULL, made TEXT NOT NULL)",
     "CREATE TABLE request (id %ID%, session_id %REF% NOT NULL REFERENCES session(id), kind TEXT NOT NULL, "
     "made TEXT NOT NULL, done TEXT)",
     "CREATE TABLE manager (computer TEXT PRIMARY KEY, last_seen TEXT NOT NULL, page TEXT NOT NULL)",
     "CREATE INDEX activity_session ON activity (session_id)",
     "CREATE INDEX session_open ON session (ended, last_seen)",
     "CREATE INDEX session_learner ON session (learner, target)"},
};

QString Dialect(const char* sql, bool postgres) {
    QString s = QString::fromLatin1(sql);
    s.replace(QLatin1String("%ID%"), postgres ? QLatin1String("BIGSERIAL PRIMARY KEY") : QLatin1String("INTEGER PRIMARY KEY"));
    s.replace(QLatin1String("%REF%"), postgres ? QLatin1String("BIGINT") : QLatin1String("INTEGER"));
    return s;
}

[[noreturn]] void Fail(const QString& what, const QSqlError& error) {
    throw std::runtime_error((what + ": " + error.text()).toStdString());
}

// A null QString would bind as SQL NULL; an empty text is meant.
QVariant Text(const QString& s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }

// One statement with bound values; throws on failure.
QSqlQuery Exec(const QSqlDatabase& db, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q(db);
    // PostgreSQL prepares no schema statements: those without values run as they are.
    if (values.isEmpty()) {
        if (!q.exec(sql)) Fail(sql, q.lastError());
        return q;
    }
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

// The learner's latest activity score (activities that give none report
// -1), total and award level for the session's target, across all of the
// learner's sessions.
const char* const kSessionColumns =
    "SELECT s.id, s.pid, s.computer, s.learner, s.target, s.started, s.ended, "
    "(SELECT a.code FROM activity a WHERE a.session_id = s.id AND a.ended IS NULL AND a.started IS NOT NULL "
    " ORDER BY a.id DESC LIMIT 1), "
    "(SELECT a.score FROM activity a JOIN session t ON t.id = a.session_id WHERE t.learner = s.learner "
    " AND t.target = s.target AND a.ended IS NOT NULL AND a.score >= 0 ORDER BY a.ended DESC, a.id DESC LIMIT 1), "
    "(SELECT c.total FROM score c JOIN session t ON t.id = c.session_id WHERE t.learner = s.learner "
    " AND t.target = s.target ORDER BY c.updated DESC, c.session_id DESC LIMIT 1), "
    "(SELECT c.award_level FROM score c JOIN session t ON t.id = c.session_id WHERE t.learner = s.learner "
    " AND t.target = s.target ORDER BY c.updated DESC, c.session_id DESC LIMIT 1) "
    "FROM session s ";

TSessionView ReadSession(const QSqlQuery& q) {
    TSessionView v;
    v.Session = q.value(0).toLongLong();
    v.Pid = q.value(1).toLongLong();
    v.Computer = q.value(2).toString();
    v.Learner = q.value(3).toString();
    v.Target = q.value(4).toString();
    v.Started = q.value(5).toString();
    v.Ended = q.value(6).toString();
    v.CurrentActivity = q.value(7).isNull() ? 0 : q.value(7).toInt();
    v.LastScore = q.value(8).isNull() ? -1 : q.value(8).toInt();
    v.Total = q.value(9).toInt();
    v.AwardLevel = q.value(10).toInt();
    return v;
}

QString Placeholders(size_t n) {
    QStringList marks;
    for (size_t i = 0; i < n; ++i) marks << QStringLiteral("?");
    return marks.join(QLatin1String(", "));
}

} // namespace

QString StoreTime(int secondsAgo) {
    return QDateTime::currentDateTimeUtc().addSecs(-secondsAgo).toString(Qt::ISODate);
}

TDatabaseAddress ParseDatabase(const QString& text) {
    TDatabaseAddress address;
    QStringList options;
    const bool url = text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"));
    if (url) {
        const QUrl u(text, QUrl::StrictMode);
        if (!u.isValid()) throw std::invalid_argument("not a database address: " + u.errorString().toStdString());
        address.Host = u.host();
        address.Port = u.port(-1);
        address.User = u.userName(QUrl::FullyDecoded);
        address.Password = u.password(QUrl::FullyDecoded);
        address.Name = u.path(QUrl::FullyDecoded).mid(1);
        for (const auto& [key, value] : QUrlQuery(u).queryItems(QUrl::FullyDecoded)) options << key + "=" + value;
    } else if (text.contains(QLatin1Char('=')) && !text.contains(QLatin1Char('/')) ) {
        for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const qsizetype eq = word.indexOf(QLatin1Char('='));
            if (eq <= 0) throw std::invalid_argument("not a key=value pair: " + word.toStdString());
            const QString key = word.left(eq), value = word.mid(eq + 1);
            if (key == QLatin1String("host") || key == QLatin1String("hostaddr")) address.Host = value;
            else if (key == QLatin1String("port")) address.Port = value.toInt();
            else if (key == QLatin1String("dbname")) address.Name = value;
            else if (key == QLatin1String("user")) address.User = value;
            else if (key == QLatin1String("password")) address.Password = value;
            else options << word;
        }
    } else {
        address.Name = text;
        address.Options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000");
        return address;
    }
    address.Driver = QStringLiteral("QPSQL");
    // A server that does not answer must not hold the manager for long.
    if (!std::any_of(options.begin(), options.end(), [](const QString& o) { return o.startsWith("connect_timeout="); }))
        options << QStringLiteral("connect_timeout=5");
    address.Options = options.join(QLatin1Char(';'));
    return address;
}

QString Describe(const TDatabaseAddress& address) {
    if (address.Driver != QLatin1String("QPSQL")) return address.Name;
    QString where = address.Host.isEmpty() ? QStringLiteral("local socket") : address.Host;
    if (address.Port > 0) where += ":" + QString::number(address.Port);
    return "PostgreSQL " + (address.User.isEmpty() ? QString() : address.User + "@") + where + "/" + address.Name;
}

TClassroomStore::TClassroomStore(const QString& sqliteFile, const QString& connectionName)
    : TClassroomStore(TDatabaseAddress{QStringLiteral("QSQLITE"), sqliteFile, {}, {}, {}, -1,
                                    QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000")},
                      connectionName) {}

TClassroomStore::TClassroomStore(const TDatabaseAddress& address, const QString& connectionName) : name_(connectionName) {
    Open(address);
    Migrate();
}

bool TClassroomStore::Recover() {
    if (!postgres_) return true; // a file does not go away like a server
    QSqlQuery probe(db_);
    if (db_.isOpen() && probe.exec(QStringLiteral("SELECT 1"))) return true;
    db_.close();
    return db_.open();
}

void TClassroomStore::Open(const TDatabaseAddress& address) {
    postgres_ = address.Driver == QLatin1String("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(address.Driver))
        throw std::runtime_error(("The database driver " + address.Driver + " is not installed" +
                                  (postgres_ ? QStringLiteral(" (Debian package libqt6sql6-psql)") : QString()))
                                     .toStdString());
    db_ = QSqlDatabase::addDatabase(address.Driver, name_);
    db_.setDatabaseName(address.Name);
    if (!address.Host.isEmpty()) db_.setHostName(address.Host);
    if (address.Port > 0) db_.setPort(address.Port);
    if (!address.User.isEmpty()) db_.setUserName(address.User);
    if (!address.Password.isEmpty()) db_.setPassword(address.Password);
    db_.setConnectOptions(address.Options);
    if (!db_.open()) Fail("Couldn't open " + Describe(address), db_.lastError());
    if (!postgres_) {
        // A confirmed write is on disk before the answer goes out.
        Exec(db_, QStringLiteral("PRAGMA synchronous = FULL"));
        Exec(db_, QStringLiteral("PRAGMA foreign_keys = ON"));
    }
}

TClassroomStore::~TClassroomStore() {
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(name_);
}

int TClassroomStore::LatestSchemaVersion() { return int(kMigrations.size()); }

int TClassroomStore::SchemaVersion() const {
    QSqlQuery q = Exec(db_, QStringLiteral("SELECT version FROM schema_version"));
    return q.next() ? q.value(0).toInt() : 0;
}

void TClassroomStore::Migrate() {
    // One transaction: a schema is never left half made, and on a shared
    // server the managers starting together take their turn.
    InTransaction(db_, [&] {
        if (postgres_) Exec(db_, QStringLiteral("SELECT pg_advisory_xact_lock(7460019)"));
        Exec(db_, QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"));
        QSqlQuery q = Exec(db_, QStringLiteral("SELECT version FROM schema_version"));
        if (!q.next()) Exec(db_, QStringLiteral("INSERT INTO schema_version VALUES (0)"));
        const int known = LatestSchemaVersion();
        const int found = SchemaVersion();
        if (found > known) throw std::runtime_error("The classroom database was made by a newer manager");
        for (int version = found; version < known; ++version) {
            for (const char* sql : kMigrations[size_t(version)]) Exec(db_, Dialect(sql, postgres_));
            Exec(db_, QStringLiteral("UPDATE schema_version SET version = ?"), {version + 1});
        }
    });
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
                           QStringLiteral("INSERT INTO session (learner, target, computer, pid, started, last_seen) "
                                          "VALUES (?, ?, ?, ?, ?, ?) RETURNING id"),
                           {Text(learner), Text(target), Text(computer), pid, StoreTime(), StoreTime()});
        if (!q.next()) throw std::runtime_error("The new session has no number");
        id = q.value(0).toLongLong();
    });
    return id;
}

void TClassroomStore::EndSession(qint64 session, bool closedByTimeout) {
    InTransaction(db_, [&] {
        Exec(db_, QStringLiteral("UPDATE session SET ended = ?, last_seen = ?, closed_by_timeout = ? "
                                 "WHERE id = ? AND ended IS NULL"),
             {StoreTime(), StoreTime(), closedByTimeout ? 1 : 0, session});
    });
}

void TClassroomStore::StartActivity(qint64 session, int code) {
    InTransaction(db_, [&] {
        Exec(db_, QStringLiteral("INSERT INTO activity (session_id, code, started) VALUES (?, ?, ?)"),
             {session, code, StoreTime()});
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
                 {StoreTime(), score, open.value(0)});
        else
            Exec(db_, QStringLiteral("INSERT INTO activity (session_id, code, ended, score) VALUES (?, ?, ?, ?)"),
                 {session, code, StoreTime(), score});
    });
}

void TClassroomStore::SetScore(qint64 session, int total, int awardLevel) {
    InTransaction(db_, [&] {
        Exec(db_,
             QStringLiteral("INSERT INTO score (session_id, total, award_level, updated) VALUES (?, ?, ?, ?) "
                            "ON CONFLICT (session_id) DO UPDATE SET total = excluded.total, "
                            "award_level = excluded.award_level, updated = excluded.updated"),
             {session, total, awardLevel, StoreTime()});
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
             QStringLiteral("SELECT score FROM activity WHERE session_id = ? AND ended IS NOT NULL AND score >= 0 "
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

void TClassroomStore::SetSessionWho(qint64 session, const QString& learner, const QString& target) {
    InTransaction(db_, [&] {
        Exec(db_, QStringLiteral("UPDATE session SET learner = ?, target = ? WHERE id = ?"),
             {Text(learner), Text(target), session});
    });
}

std::optional<TAssignment> TClassroomStore::EarlierSession(const QString& computer, qint64 pid) const {
    QSqlQuery q = Exec(db_,
                       QStringLiteral("SELECT learner, target FROM session WHERE computer = ? AND pid = ? "
                                      "AND closed_by_timeout IS NULL ORDER BY id DESC LIMIT 1"),
                       {Text(computer), pid});
    if (!q.next()) return std::nullopt;
    return TAssignment{QString(), q.value(1).toString(), q.value(0).toString()};
}

void TClassroomStore::Touch(const QString& computer, const QString& page, const std::vector<qint64>& sessions) {
    const QString now = StoreTime();
    InTransaction(db_, [&] {
        Exec(db_,
             QStringLiteral("INSERT INTO manager (computer, last_seen, page) VALUES (?, ?, ?) ON CONFLICT (computer) "
                            "DO UPDATE SET last_seen = excluded.last_seen, page = excluded.page"),
             {Text(computer), now, Text(page)});
        if (sessions.empty()) return;
        QVariantList values{now};
        for (qint64 id : sessions) values << id;
        Exec(db_,
             "UPDATE session SET last_seen = ? WHERE ended IS NULL AND id IN (" + Placeholders(sessions.size()) + ")",
             values);
    });
}

std::vector<TSessionView> TClassroomStore::LeftoverSessions(const QString& computer) const {
    std::vector<TSessionView> out;
    QSqlQuery q = Exec(db_, QLatin1String(kSessionColumns) + QStringLiteral("WHERE s.ended IS NULL AND s.computer = ? ORDER BY s.id"),
                       {Text(computer)});
    while (q.next()) out.push_back(ReadSession(q));
    return out;
}

void TClassroomStore::CloseLeftoverSession(qint64 session) {
    InTransaction(db_, [&] {
        Exec(db_, QStringLiteral("UPDATE session SET ended = last_seen WHERE ended IS NULL AND id = ?"), {session});
    });
}

std::vector<TSessionView> TClassroomStore::Sessions(const QString& since, int closed) const {
    std::vector<TSessionView> out;
    QSqlQuery q = Exec(db_,
                       QLatin1String(kSessionColumns) +
                           QStringLiteral("WHERE s.ended IS NULL AND s.last_seen >= ? ORDER BY s.computer, s.learner, s.id"),
                       {since});
    while (q.next()) out.push_back(ReadSession(q));
    if (closed > 0) {
        q = Exec(db_,
                 QLatin1String(kSessionColumns) +
                     QStringLiteral("WHERE s.ended IS NOT NULL ORDER BY s.ended DESC, s.id DESC LIMIT ?"),
                 {closed});
        while (q.next()) out.push_back(ReadSession(q));
    }
    return out;
}

QStringList TClassroomStore::Computers(const QString& since) const {
    QStringList out;
    QSqlQuery q = Exec(db_, QStringLiteral("SELECT computer FROM manager WHERE last_seen >= ? ORDER BY computer"), {since});
    while (q.next()) out << q.value(0).toString();
    return out;
}

void TClassroomStore::Assign(const QString& computer, const TAssignment& a) {
    InTransaction(db_, [&] {
        if (a.Learner.isEmpty()) {
            Exec(db_, QStringLiteral("DELETE FROM assignment WHERE computer = ?"), {Text(computer)});
            return;
        }
        Exec(db_,
             QStringLiteral("INSERT INTO assignment (computer, learner, content_root, target, made) VALUES (?, ?, ?, ?, ?) "
                            "ON CONFLICT (computer) DO UPDATE SET learner = excluded.learner, "
                            "content_root = excluded.content_root, target = excluded.target, made = excluded.made"),
             {Text(computer), Text(a.Learner), Text(a.ContentRoot), Text(a.Target), StoreTime()});
    });
}

std::optional<TAssignment> TClassroomStore::TakeAssignment(const QString& computer) {
    std::optional<TAssignment> taken;
    InTransaction(db_, [&] {
        QSqlQuery q = Exec(db_,
                           QStringLiteral("DELETE FROM assignment WHERE computer = ? "
                                          "RETURNING content_root, target, learner"),
                           {Text(computer)});
        if (q.next()) taken = TAssignment{q.value(0).toString(), q.value(1).toString(), q.value(2).toString()};
    });
    return taken;
}

std::vector<std::pair<QString, TAssignment>> TClassroomStore::Assignments() const {
    std::vector<std::pair<QString, TAssignment>> out;
    QSqlQuery q = Exec(db_, QStringLiteral("SELECT computer, content_root, target, learner FROM assignment ORDER BY computer"));
    while (q.next())
        out.emplace_back(q.value(0).toString(),
                         TAssignment{q.value(1).toString(), q.value(2).toString(), q.value(3).toString()});
    return out;
}

void TClassroomStore::RequestShutDown(qint64 session) {
    InTransaction(db_, [&] {
        Exec(db_, QStringLiteral("INSERT INTO request (session_id, kind, made) VALUES (?, 'shut-down', ?)"),
             {session, StoreTime()});
    });
}

std::vector<qint64> TClassroomStore::TakeShutDownRequests(const QString& computer) {
    std::vector<qint64> sessions;
    InTransaction(db_, [&] {
        QSqlQuery q = Exec(db_,
                           QStringLiteral("UPDATE request SET done = ? WHERE done IS NULL AND kind = 'shut-down' AND "
                                          "session_id IN (SELECT id FROM session WHERE computer = ?) RETURNING session_id"),
                           {StoreTime(), Text(computer)});
        while (q.next()) sessions.push_back(q.value(0).toLongLong());
    });
    return sessions;
}

} // namespace classroom
