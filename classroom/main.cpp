// tavolin-classroom: the classroom manager for the programs of one desktop
// session.
//   tavolin-classroom [--database FILE|postgresql://...] [--teacher-page [--listen ADDRESS:PORT]
//                     [--password-file FILE]] [--computer NAME] [--content ROOT] [--target NAME] [--learner NAME]
//       runs the manager, and on the teacher's computer the teacher's page
//       (the learner defaults to the user's login name);
//   tavolin-classroom start-learner NAME [TARGET]
//       asks the running manager to start the program in remote mode for NAME;
//   tavolin-classroom shut-down NAME
//       asks the running manager to close every program of NAME;
//   tavolin-classroom init-db --database ...
//       makes the tables and, on PostgreSQL, the teacher and computer roles.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <exception>
#include <memory>

#include "classroom/ClassroomService.h"
#include "classroom/ClassroomStore.h"
#include "classroom/TeacherPage.h"
#include "learners/ClassroomBus.h"
#include "platform/VersionOption.h"
#include "Version.h"

using namespace classroom;
using namespace tav::classroombus;

namespace {

QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

// A teacher's command sent to the running manager.
int AskManager(const QString& method, const QVariantList& args) {
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kManagerService), QLatin1String(kManagerPath),
                                                       QLatin1String(kManagerInterface), method);
    call.setArguments(args);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        Err() << "tavolin-classroom: " << (reply.errorName() == "org.freedesktop.DBus.Error.ServiceUnknown"
                                              ? QStringLiteral("no classroom manager is running on this desktop")
                                              : reply.errorMessage())
              << Qt::endl;
        return 1;
    }
    QTextStream(stdout) << reply.arguments().value(0).toString() << Qt::endl;
    return 0;
}

// The database password from a file only its owner can read: its first line.
bool ReadPasswordFile(const QString& path, QString& password, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = path + ": " + file.errorString();
        return false;
    }
    if (file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                              QFileDevice::WriteOther)) {
        error = path + " can be read by other users; make it yours alone (chmod 600 " + path + ")";
        return false;
    }
    password = QString::fromUtf8(file.readLine()).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    if (password.isEmpty()) {
        error = path + " holds no password on its first line";
        return false;
    }
    return true;
}

QString DefaultDatabase() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Zandrel/Tavolin");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/classroom.sqlite");
}

} // namespace

int main(int argc, char** argv) {
    // The same answer as the other programs, licence included.
    if (tav::AnswerVersionOption(argc, argv, "tavolin-classroom")) return 0;
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavolin-classroom"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3 (build %4)")
                                                .arg(TAVOLIN_VERSION_MAJOR)
                                                .arg(TAVOLIN_VERSION_MINOR)
                                                .arg(TAVOLIN_VERSION_RELEASE)
                                                .arg(TAVOLIN_VERSION_BUILD));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("The classroom manager for Tavolin"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("The records: an SQLite file (sqlite:FILE, or a path with a folder), or a PostgreSQL server "
                       "as postgresql://user@host/db or \"host=... dbname=... user=...\" (the password comes from "
                       "--database-password-file, ~/.pgpass, a service file or PGPASSWORD, never from here)."),
        QStringLiteral("where"), DefaultDatabase());
    const QCommandLineOption databasePasswordFile(
        QStringLiteral("database-password-file"),
        QStringLiteral("A file only you can read whose first line is the database server's password."),
        QStringLiteral("file"));
    const QCommandLineOption teacherPage(QStringLiteral("teacher-page"),
                                         QStringLiteral("Serve the teacher's page (on the teacher's computer only)."));
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Where the teacher's page listens (default 127.0.0.1:8470; "
                                                   "port 0: any free port)."),
                                    QStringLiteral("address:port"), QStringLiteral("127.0.0.1:8470"));
    const QCommandLineOption passwordFile(
        QStringLiteral("password-file"),
        QStringLiteral("A file whose first line is the password other computers give for the teacher's page "
                       "(or set TAVOLIN_PAGE_PASSWORD)."),
        QStringLiteral("file"));
    // Refused: other users of the computer see the command line.
    QCommandLineOption password(QStringLiteral("password"), QStringLiteral("Not taken: use --password-file."),
                                QStringLiteral("word"));
    password.setFlags(QCommandLineOption::HiddenFromHelp);
    const QCommandLineOption noPage(QStringLiteral("no-page"), QStringLiteral("No teacher's page (the default)."));
    const QCommandLineOption computer(QStringLiteral("computer"),
                                      QStringLiteral("This computer's name in the records (default: the host name)."),
                                      QStringLiteral("name"));
    const QCommandLineOption content(QStringLiteral("content"), QStringLiteral("The content root for the programs."),
                                     QStringLiteral("folder"));
    const QCommandLineOption target(QStringLiteral("target"), QStringLiteral("The target folder name."),
                                    QStringLiteral("name"));
    const QCommandLineOption learner(QStringLiteral("learner"), QStringLiteral("The learner's name."),
                                     QStringLiteral("name"), qEnvironmentVariable("USER", QStringLiteral("Learner")));
    parser.addOptions({database, teacherPage, listen, passwordFile, password, noPage, computer, content, target, learner});
    parser.addOption(databasePasswordFile);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("start-learner NAME [TARGET] | shut-down NAME | init-db"));
    parser.process(app);

    const QStringList words = parser.positionalArguments();
    if (!words.isEmpty()) {
        if (words[0] == QLatin1String("start-learner") && words.size() >= 2)
            return AskManager(QStringLiteral("StartLearner"), {words[1], words.value(2)});
        if (words[0] == QLatin1String("shut-down") && words.size() == 2)
            return AskManager(QStringLiteral("ShutDownLearner"), {words[1]});
        if (words[0] != QLatin1String("init-db") || words.size() != 1) parser.showHelp(2);
    }

    // The records' address; its password never comes from the command line,
    // which every user of the computer can read in the process list.
    TDatabaseAddress records;
    try {
        records = ParseDatabase(parser.value(database));
    } catch (const std::exception& e) {
        Err() << "tavolin-classroom: " << e.what() << Qt::endl;
        return 2;
    }
    if (!records.Password.isEmpty()) {
        records.Password.clear();
        Err() << "tavolin-classroom: a password in --database can be read by every user of this computer; put it "
                 "in a file only you can read and name it with --database-password-file, or in ~/.pgpass "
                 "(PGPASSFILE), a PostgreSQL service file (PGSERVICE) or PGPASSWORD"
              << Qt::endl;
        return 2;
    }
    if (parser.isSet(databasePasswordFile)) {
        QString error;
        if (!ReadPasswordFile(parser.value(databasePasswordFile), records.Password, error)) {
            Err() << "tavolin-classroom: " << error << Qt::endl;
            return 2;
        }
    }
    if (records.Driver == QLatin1String("QSQLITE")) records.Name = QFileInfo(records.Name).absoluteFilePath();

    if (!words.isEmpty()) {
        try {
            TClassroomStore store(records);
            if (records.Driver == QLatin1String("QPSQL")) store.SetUpRoles();
            QTextStream(stdout) << "tavolin-classroom: the records in " << Describe(records) << " are ready"
                                << (records.Driver == QLatin1String("QPSQL")
                                        ? QStringLiteral(", with the roles %1 and %2").arg(kTeacherRole, kComputerRole)
                                        : QString())
                                << Qt::endl;
            return 0;
        } catch (const std::exception& e) {
            Err() << "tavolin-classroom: " << RedactSecrets(QString::fromLocal8Bit(e.what()), records.Password)
                  << Qt::endl;
            return 1;
        }
    }
    // The learner of programs nobody named one for: any script, no control characters.
    const QString learnerProblem = LearnerNameProblem(parser.value(learner));
    if (!learnerProblem.isEmpty()) {
        Err() << "tavolin-classroom: the learner for programs nobody named one for: " << learnerProblem
              << " (give --learner NAME)" << Qt::endl;
        return 2;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Err() << "tavolin-classroom: the desktop session bus is not available" << Qt::endl;
        return 1;
    }
    // The page's password: never from the command line, never printed; the
    // programs this manager starts do not inherit it.
    QString pagePassword = qEnvironmentVariable("TAVOLIN_PAGE_PASSWORD");
    qunsetenv("TAVOLIN_PAGE_PASSWORD");
    if (parser.isSet(password)) {
        Err() << "tavolin-classroom: --password is not taken (every user of this computer can read a command "
                 "line): put the password in a file for --password-file, or in TAVOLIN_PAGE_PASSWORD"
              << Qt::endl;
        return 2;
    }
    if (parser.isSet(passwordFile)) {
        QString problem;
        pagePassword = ReadPagePasswordFile(parser.value(passwordFile), problem);
        if (pagePassword.isEmpty()) {
            Err() << "tavolin-classroom: " << problem << Qt::endl;
            return 2;
        }
    }
    if (parser.isSet(teacherPage) && parser.isSet(noPage)) {
        Err() << "tavolin-classroom: --teacher-page and --no-page cannot go together" << Qt::endl;
        return 2;
    }
    QHostAddress address;
    quint16 port = 0;
    const bool page = parser.isSet(teacherPage);
    if (!page && parser.isSet(listen) && !parser.isSet(noPage))
        Err() << "tavolin-classroom: no teacher's page without --teacher-page (only the teacher's computer serves it)"
              << Qt::endl;
    if (page && !ParseListenAddress(parser.value(listen), address, port)) {
        Err() << "tavolin-classroom: --listen wants ADDRESS:PORT, such as 127.0.0.1:8470" << Qt::endl;
        return 2;
    }
    // Anyone on the network could shut the learners' programs down.
    if (page && !address.isLoopback() && pagePassword.isEmpty()) {
        Err() << "tavolin-classroom: a page other computers can reach needs a password (--password-file FILE, "
                 "or TAVOLIN_PAGE_PASSWORD)"
              << Qt::endl;
        return 2;
    }
    try {
        TClassroomStore store(records);
        TAssignment fallback{parser.value(content), parser.value(target), parser.value(learner)};
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/tavolin");
        TClassroomService service(store, bus, fallback, program, parser.value(computer));
        std::unique_ptr<TTeacherPage> teacher;
        QString pageAddress, pageError;
        if (page) {
            const QString secret = LoadOrMakeSecret(DefaultSecretFile(), pageError);
            if (!secret.isEmpty()) {
                teacher = std::make_unique<TTeacherPage>(store, service, secret, pagePassword);
                pageAddress = teacher->Listen(address, port, pageError);
                service.SetPageAddress(pageAddress);
            }
        }
        if (!service.Start()) {
            Err() << "tavolin-classroom: " << service.StartError() << Qt::endl;
            return 1;
        }
        QTextStream out(stdout);
        out << "tavolin-classroom: serving " << kManagerService << " for " << service.Computer() << ", records in "
            << Describe(records) << Qt::endl;
        if (!pageAddress.isEmpty()) {
            out << "tavolin-classroom: teacher's page at " << pageAddress << Qt::endl;
            // The key is in the teacher's configuration folder; this address carries it once.
            out << "tavolin-classroom: open it on this computer with " << teacher->OpeningAddress() << Qt::endl;
        } else if (page) Err() << "tavolin-classroom: no teacher's page: " << pageError << Qt::endl;
        return app.exec();
    } catch (const std::exception& e) {
        Err() << "tavolin-classroom: " << RedactSecrets(QString::fromLocal8Bit(e.what()), records.Password) << Qt::endl;
        return 1;
    }
}
