// tavolin-classroom: the classroom manager for the programs of one desktop
// session.
//   tavolin-classroom [--database FILE] [--content ROOT] [--target NAME] [--learner NAME]
//       runs the manager (the learner defaults to the user's login name);
//   tavolin-classroom start-learner NAME [TARGET]
//       asks the running manager to start the program in remote mode for NAME;
//   tavolin-classroom shut-down NAME
//       asks the running manager to close every program of NAME.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include <exception>

#include "classroom/ClassroomService.h"
#include "classroom/ClassroomStore.h"
#include "learners/ClassroomBus.h"
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

QString DefaultDatabase() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                           QStringLiteral("/Zandrel/Tavolin");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/classroom.sqlite");
}

} // namespace

int main(int argc, char** argv) {
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
    const QCommandLineOption database(QStringLiteral("database"), QStringLiteral("The SQLite file."),
                                      QStringLiteral("file"), DefaultDatabase());
    const QCommandLineOption content(QStringLiteral("content"), QStringLiteral("The content root for the programs."),
                                     QStringLiteral("folder"));
    const QCommandLineOption target(QStringLiteral("target"), QStringLiteral("The target folder name."),
                                    QStringLiteral("name"));
    const QCommandLineOption learner(QStringLiteral("learner"), QStringLiteral("The learner's name."),
                                     QStringLiteral("name"), qEnvironmentVariable("USER", QStringLiteral("Learner")));
    parser.addOptions({database, content, target, learner});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("start-learner NAME [TARGET] | shut-down NAME"));
    parser.process(app);

    const QStringList words = parser.positionalArguments();
    if (!words.isEmpty()) {
        if (words[0] == QLatin1String("start-learner") && words.size() >= 2)
            return AskManager(QStringLiteral("StartLearner"), {words[1], words.value(2)});
        if (words[0] == QLatin1String("shut-down") && words.size() == 2)
            return AskManager(QStringLiteral("ShutDownLearner"), {words[1]});
        parser.showHelp(2);
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Err() << "tavolin-classroom: the desktop session bus is not available" << Qt::endl;
        return 1;
    }
    try {
        TClassroomStore store(parser.value(database));
        TAssignment fallback{parser.value(content), parser.value(target), parser.value(learner)};
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/tavolin");
        TClassroomService service(store, bus, fallback, program);
        if (!service.Start()) {
            Err() << "tavolin-classroom: another classroom manager is already running on this desktop" << Qt::endl;
            return 1;
        }
        QTextStream(stdout) << "tavolin-classroom: serving " << kManagerService << ", records in "
                            << QFileInfo(parser.value(database)).absoluteFilePath() << Qt::endl;
        return app.exec();
    } catch (const std::exception& e) {
        Err() << "tavolin-classroom: " << e.what() << Qt::endl;
        return 1;
    }
}
