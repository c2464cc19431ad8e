#include "app/ContentLocation.h"

#include "platform/Paths.h"
#include "app/InsertDVD.h"

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

std::string AskForContent(bool standAlone) {
    if (auto& a = Asker()) return a();
    return AskForContentWithDialog(standAlone);
}

} // namespace tav
