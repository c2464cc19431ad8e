#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace tav {

namespace {
std::function<bool(const std::string&)>& Opener() {
    static std::function<bool(const std::string&)> opener;
    return opener;
}
} // namespace

bool ShellOpen(const std::string& address) {
    if (auto& o = Opener()) return o(address);
    return QDesktopServices::openUrl(QUrl(QString::fromUtf8(address.c_str()), QUrl::TolerantMode));
}

void SetShellOpener(std::function<bool(const std::string&)> opener) { Opener() = std::move(opener); }

} // namespace tav
