// tavolin-skin FOLDER: draws every built-in picture of the skin, writes each
// as FOLDER/<name>.png and all of them on FOLDER/contact-sheet.png, so the
// look can be checked by eye.
#include <QDir>
#include <QGuiApplication>

#include <cstdio>

#include "toolkit/Skin.h"

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavolin-skin FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "Can't create %s\n", argv[1]);
        return 1;
    }
    const auto pictures = tav::skin::Catalogue();
    for (const auto& pic : pictures) {
        const QString file = folder + "/" + QString::fromStdString(pic.Name) + ".png";
        if (!pic.Picture.save(file)) {
            std::fprintf(stderr, "Can't write %s\n", file.toLocal8Bit().constData());
            return 1;
        }
    }
    const QString sheet = folder + "/contact-sheet.png";
    if (!tav::skin::ContactSheet(pictures).save(sheet)) {
        std::fprintf(stderr, "Can't write %s\n", sheet.toLocal8Bit().constData());
        return 1;
    }
    std::printf("%zu pictures and %s\n", pictures.size(), sheet.toLocal8Bit().constData());
    return 0;
}
