#pragma once
// The classroom manager's records through Qt SQL (an SQLite file): learner
// profiles per target, every session of a program, every activity with its
// score, and the last total and award level. Each write is one transaction,
// so what the manager confirmed to a program survives the manager being killed.
#include <QSqlDatabase>
#include <QString>

#include <optional>

namespace classroom {

struct TSessionSummary {
    QString Learner, Target;
    int Activities = 0;
    int LastScore = -1;
    int Total = 0, AwardLevel = 0;
};

class TClassroomStore {
public:
    // Opens (creating when needed) the database and brings its schema up to date.
    // Throws std::runtime_error with the driver's text when it cannot.
    explicit TClassroomStore(const QString& sqliteFile, const QString& connectionName = QStringLiteral("classroom"));
    ~TClassroomStore();
    TClassroomStore(const TClassroomStore&) = delete;
    TClassroomStore& operator=(const TClassroomStore&) = delete;

    int SchemaVersion() const;

    QString ReadProfile(const QString& target, const QString& section, const QString& key,
                        const QString& defaultValue) const;
    // An empty key and value removes the whole section.
    void WriteProfile(const QString& target, const QString& section, const QString& key, const QString& value);

    // A program signing in: returns the new session's id.
    qint64 StartSession(const QString& learner, const QString& target, const QString& computer, qint64 pid);
    void EndSession(qint64 session, bool closedByTimeout);
    void StartActivity(qint64 session, int code);
    // Closes the session's open activity of that code (or records one that
    // was never seen starting).
    void EndActivity(qint64 session, int code, int score);
    void SetScore(qint64 session, int total, int awardLevel);
    TSessionSummary Summary(qint64 session) const;

private:
    void Migrate();
    QSqlDatabase db_;
    QString name_;
};

} // namespace classroom
