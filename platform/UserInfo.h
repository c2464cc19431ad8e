#pragma once
// Who is logged in and where per-user data goes.
#include <string>

namespace tav {

// The login name (getpwuid, else $USER); empty when unknown.
std::string LogonName();

// The user's application-data folder: $XDG_DATA_HOME, else ~/.local/share.
// Empty when neither can be found.
std::string AppDataFolder();

// Platform name and version for web addresses, e.g. "LINUX6.1".
std::string PlatformName();
int PlatformMajorVersion();
int PlatformMinorVersion();

// The system's temporary folder (no trailing separator).
std::string TempFolder();

} // namespace tav
