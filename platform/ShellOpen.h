#pragma once
// The desktop's "open" for web addresses and files.
#include <functional>
#include <string>

namespace tav {

// Opens the address (UTF-8) with the desktop's browser; false when nothing could open it.
bool ShellOpen(const std::string& address);

// Tests replace the opener to see what would be opened (nullptr restores it).
void SetShellOpener(std::function<bool(const std::string&)> opener);

} // namespace tav
