#include "platform/UserInfo.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <cstdio>

namespace tav {

std::string LogonName() {
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_name && *pw->pw_name) return pw->pw_name;
    if (const char* u = std::getenv("USER"); u && *u) return u;
    return {};
}

std::string AppDataFolder() {
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x == '/') return x;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = pw->pw_dir;
    }
    if (!home || !*home) return {};
    std::string h = home;
    while (h.size() > 1 && h.back() == '/') h.pop_back();
    return h + "/.local/share";
}

static void KernelVersion(int& major, int& minor) {
    major = minor = 0;
    utsname u {};
    if (::uname(&u) == 0) std::sscanf(u.release, "%d.%d", &major, &minor);
}

std::string PlatformName() {
    utsname u {};
    if (::uname(&u) != 0) return "UNIX";
    std::string s = u.sysname;
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int PlatformMajorVersion() { int a, b; KernelVersion(a, b); return a; }
int PlatformMinorVersion() { int a, b; KernelVersion(a, b); return b; }

std::string TempFolder() {
    const char* t = std::getenv("TMPDIR");
    std::string s = (t && *t) ? t : "/tmp";
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

} // namespace tav
