#include "app/CommandLine.h"

#include "content/OurUtils.h"
#include "content/UnicodeText.h"

namespace tav {

static int StrToIntChecked(const std::string& text) {
    int v;
    if (!TryStrToInt(text, v)) throw EProgramError("'" + text + "' is not a valid integer value");
    return v;
}

void ParseCommandLine(const std::vector<std::string>& args, TCommandLine& options) {
    for (const auto& arg : args) {
        if (SameText(arg, "800") || SameText(arg, "force")) {
            options.Force800 = true;
            continue;
        }
        size_t eq = arg.find('=');
        if (eq == std::string::npos) continue;
        const std::string name = Trim(arg.substr(0, eq));
        const std::string value = Trim(arg.substr(eq + 1));
        if (SameText(name, "remote")) {
            StrToIntChecked(value);
            options.Remote = true;
        } else if (SameText(name, "timeout")) {
            options.TimeoutMinutes = StrToIntChecked(value);
        }
    }
}

const char* CommandLineHelp() {
    return "usage: tavolin [800|force] [remote=N] [timeout=MINUTES]\n"
           "       tavolin --help | --version\n"
           "  800, force         full screen: the 800 x 600 program scaled to fit, aspect kept\n"
           "  remote=N           remote mode under the classroom manager tavolin-classroom\n"
           "  timeout=MINUTES    close after that many minutes without a left click (0: never)\n"
           "The content is the program folder when it holds target.txt and Spelinfo.txt, else\n"
           "the Content folder of sconfig.txt, ~/.local/share/tavolin/disc, a mounted disc, or\n"
           "an installed disc such as /usr/share/tavolin/disc. See tavolin(1).\n";
}

} // namespace tav
