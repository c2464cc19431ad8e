// tavolin-demodisc: writes the demo content disc (or the small test fixture
// disc) and the program's PC media into a folder.
//
//   tavolin-demodisc --out DIR [--cache DIR] [--fixture] [--multi-menu]
//                    [--custom-start] [--no-program-media] [--verbose]
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <unistd.h>
#include <cstdio>
#include <cstring>
#include <exception>

#include "DiscBuilder.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) { // Qt wants one, even offscreen
        const QString runtime = QDir::tempPath() + "/tavolin-demodisc-" + QString::number(getuid());
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    }
    QGuiApplication app(argc, argv); // fonts for the pictures
    demodisc::TDiscOptions o;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--out") && i + 1 < argc) o.Root = argv[++i];
        else if (!std::strcmp(a, "--cache") && i + 1 < argc) o.Cache = argv[++i];
        else if (!std::strcmp(a, "--fixture")) o.Fixture = true;
        else if (!std::strcmp(a, "--multi-menu")) o.MultiMenu = true;
        else if (!std::strcmp(a, "--custom-start")) o.CustomStart = true;
        else if (!std::strcmp(a, "--no-program-media")) o.ProgramMedia = false;
        else if (!std::strcmp(a, "--verbose")) o.Verbose = true;
        else {
            std::fprintf(stderr,
                         "usage: %s --out DIR [--cache DIR] [--fixture] [--multi-menu] [--custom-start] "
                         "[--no-program-media] [--verbose]\n", argv[0]);
            return 2;
        }
    }
    if (o.Root.empty()) {
        std::fprintf(stderr, "tavolin-demodisc: --out DIR is required\n");
        return 2;
    }
    try {
        demodisc::BuildDisc(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavolin-demodisc: %s\n", e.what());
        return 1;
    }
    return 0;
}
