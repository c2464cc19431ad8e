#include "app/ContentLocation.h"

#include "platform/Paths.h"
#include "toolkit/MessageBox.h"

namespace tav {

bool HasContentFiles(const std::string& folder) {
    return FileExists(folder + "\\target.txt") && FileExists(folder + "\\Spelinfo.txt");
}

namespace {
TContentAsker& Asker() {
    static TContentAsker asker;
    return asker;
}
} // namespace

void SetContentAsker(TContentAsker asker) { Asker() = std::move(asker); }

std::string AskForContent() {
    if (auto& a = Asker()) return a();
    // Without the disc search the learner at least learns why nothing starts.
    MessageDlg("Can't find the Tavolin content: put target.txt and Spelinfo.txt beside the program.",
               TMsgIcon::Error);
    return {};
}

} // namespace tav
