#include "FuzzTarget.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/Paths.h"

namespace tavfuzz {

namespace {
std::vector<TRegisteredTarget>& Targets() {
    static std::vector<TRegisteredTarget> targets;
    return targets;
}
} // namespace

bool RegisterTarget(const char* name, TFuzzBody body) {
    Targets().push_back({name, body});
    return true;
}

const std::vector<TRegisteredTarget>& RegisteredTargets() { return Targets(); }

std::string ScratchFolder() {
    // Never destroyed: the exit handler below still needs the name.
    static const std::string* folder = [] {
        const char* tmp = std::getenv("TMPDIR");
        auto* f = new std::string(std::string(tmp && *tmp ? tmp : "/tmp") + "/tavolin-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(*f);
        // Removed when the process ends normally; libFuzzer's crash exits leave it for inspection.
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(ScratchFolder(), ec);
        });
        return f;
    }();
    return *folder;
}

std::string ScratchFile(const uint8_t* data, size_t size, const std::string& name) {
    const std::string path = ScratchFolder() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort(); // the harness itself is broken, not the parser
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
    tav::InvalidatePathCache();
    return path;
}

} // namespace tavfuzz
