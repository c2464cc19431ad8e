#pragma once
// The "--version" answer of every Tavolin program: its name, the version
// compiled in from the build and its licence, on standard output, before
// anything else starts.
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
    std::printf("License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
                "This is free software: you are free to change and redistribute it.\n"
                "There is NO WARRANTY, to the extent permitted by law.\n");
    return true;
}

} // namespace tav
