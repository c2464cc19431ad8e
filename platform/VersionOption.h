#pragma once
// The "--version" answer of every Tavolin program: its name and the version
// compiled in from the build, on standard output, before anything else starts.
#include <cstdio>
#include <cstring>

#include "Version.h"

namespace tav {

inline bool IsOption(int argc, char** argv, const char* option) {
    return argc == 2 && std::strcmp(argv[1], option) == 0;
}

inline bool AnswerVersionOption(int argc, char** argv, const char* program) {
    if (!IsOption(argc, argv, "--version")) return false;
    std::printf("%s %d.%d.%d (build %d)\n", program, TAVOLIN_VERSION_MAJOR, TAVOLIN_VERSION_MINOR,
                TAVOLIN_VERSION_RELEASE, TAVOLIN_VERSION_BUILD);
    return true;
}

} // namespace tav
