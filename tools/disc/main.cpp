// tavolin-disc: checks a content disc with the program's own loaders.
#include "tools/disc/DiscCheck.h"
#include "platform/VersionOption.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv) {
    if (tav::AnswerVersionOption(argc, argv, "tavolin-disc")) return 0;
    QCoreApplication app(argc, argv); // Qt's picture plugins
    return tav::RunDiscTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
