#include "platform/Paths.h"

#include <dirent.h>
#include <cerrno>
#include <strings.h>
#include <sys/stat.h>

#include <map>
#include <mutex>

namespace tav {

namespace {

struct CachedListing {
    struct timespec mtime {};
    std::vector<std::string> names;
};

std::mutex g_cacheMutex;
std::map<std::string, CachedListing> g_listings;

bool StatPath(const std::string& p, struct stat& st) { return ::stat(p.c_str(), &st) == 0; }

// The real name of `component` inside `dir`, matched without regard to case;
// empty when nothing matches. Listings are cached and re-read when the
// folder's modification time changes.
std::string FindCaseInsensitive(const std::string& dir, const std::string& component) {
    struct stat st {};
    const std::string d = dir.empty() ? "/" : dir;
    if (!StatPath(d, st) || !S_ISDIR(st.st_mode)) return {};
    std::lock_guard lock(g_cacheMutex);
    auto it = g_listings.find(d);
    if (it == g_listings.end() || it->second.mtime.tv_sec != st.st_mtim.tv_sec ||
        it->second.mtime.tv_nsec != st.st_mtim.tv_nsec) {
        CachedListing listing;
        listing.mtime = st.st_mtim;
        if (DIR* h = ::opendir(d.c_str())) {
            while (dirent* e = ::readdir(h)) listing.names.emplace_back(e->d_name);
            ::closedir(h);
        }
        it = g_listings.insert_or_assign(d, std::move(listing)).first;
    }
    for (const auto& n : it->second.names)
        if (::strcasecmp(n.c_str(), component.c_str()) == 0) return n;
    return {};
}

} // namespace

std::string JoinPath(const std::string& folder, const std::string& name) { return folder + name; }

std::string NativePath(const std::string& programPath) {
    std::string p = programPath;
    for (char& c : p)
        if (c == '\\') c = '/';
    if (p.empty()) return p;

    struct stat st {};
    if (StatPath(p, st)) return p; // the common case: spelled right already

    const bool absolute = p[0] == '/';
    const bool trailing = p.back() == '/';
    std::string out;
    bool resolving = true;
    size_t pos = 0;
    while (pos < p.size()) {
        size_t next = p.find('/', pos);
        if (next == std::string::npos) next = p.size();
        std::string comp = p.substr(pos, next - pos);
        pos = next + 1;
        if (comp.empty()) continue; // doubled separators from joining
        auto join = [&](const std::string& c) {
            return out.empty() ? (absolute ? "/" + c : c) : out + "/" + c;
        };
        if (resolving && comp != "." && comp != "..") {
            struct stat cs {};
            if (!StatPath(join(comp), cs)) {
                std::string dir = out.empty() ? (absolute ? "/" : ".") : out;
                std::string found = FindCaseInsensitive(dir, comp);
                if (!found.empty()) comp = found;
                else resolving = false;
            }
        }
        out = join(comp);
    }
    if (out.empty()) out = absolute ? "/" : "";
    if (trailing && out.back() != '/') out += '/';
    return out;
}

bool FileExists(const std::string& programPath) {
    struct stat st {};
    return StatPath(NativePath(programPath), st) && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& programPath) {
    struct stat st {};
    return StatPath(NativePath(programPath), st) && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& programPath) {
    std::string p = NativePath(programPath);
    if (p.empty()) return false;
    std::string partial;
    size_t pos = 0;
    while (pos <= p.size()) {
        size_t next = p.find('/', pos);
        if (next == std::string::npos) next = p.size();
        partial = p.substr(0, next);
        pos = next + 1;
        if (partial.empty()) continue;
        struct stat st {};
        if (!StatPath(partial, st)) {
            if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
        } else if (!S_ISDIR(st.st_mode)) {
            return false;
        }
        if (next == p.size()) break;
    }
    InvalidatePathCache();
    return true;
}

std::string ExtractFileDir(const std::string& path) {
    size_t k = path.find_last_of("\\/");
    if (k == std::string::npos) return {};
    return path.substr(0, k);
}

void InvalidatePathCache() {
    std::lock_guard lock(g_cacheMutex);
    g_listings.clear();
}

} // namespace tav
