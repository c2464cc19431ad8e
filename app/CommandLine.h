#pragma once
// The command line: "800" or "force" (full screen at 800 x 600),
// "remote=n" (remote mode) and "timeout=n" (inactivity timeout in minutes).
#include <string>
#include <vector>

namespace tav {

struct TCommandLine {
    bool Force800 = false;
    bool Remote = false;
    int TimeoutMinutes = 0;
};

// Applies the arguments in order to options. A "remote" or "timeout" value
// that is not a whole number raises an error; the arguments before it stay
// applied and the rest are skipped.
void ParseCommandLine(const std::vector<std::string>& args, TCommandLine& options);

// The text "tavolin --help" prints.
const char* CommandLineHelp();

} // namespace tav
