// tavolin-disc: checks a content disc with the program's own loaders, and
// builds one from a film and its subtitles ("build").
#include "tools/disc/DiscCheck.h"
#include "platform/VersionOption.h"
#include "tools/discbuild/Builder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <unistd.h>

#include <iostream>

int main(int argc, char** argv) {
    if (tav::AnswerVersionOption(argc, argv, "tavolin-disc")) return 0;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args.front() == "build") {
        // Pictures are drawn with Qt's fonts, off screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
            const QString runtime = QDir::tempPath() + "/tavolin-disc-" + QString::number(getuid());
            QDir().mkpath(runtime);
            QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
        }
        QGuiApplication app(argc, argv);
        return discbuild::RunBuild(std::vector<std::string>(args.begin() + 1, args.end()), std::cout, std::cerr);
    }
    QCoreApplication app(argc, argv); // Qt's picture plugins
    return tav::RunDiscTool(args, std::cout, std::cerr);
}
