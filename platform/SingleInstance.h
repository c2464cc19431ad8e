#pragma once
// One running copy per user: a lock file in the user's runtime folder. The lock
// notices a holder that died (stale lock), so a crash never blocks the next start.
#include <memory>
#include <string>

class QLockFile;

namespace tav {

class SingleInstance {
public:
    // lockName: a file name; the lock lives in the runtime folder
    // ($XDG_RUNTIME_DIR, else the temporary folder).
    explicit SingleInstance(const std::string& lockName);
    ~SingleInstance();
    // True when this process now holds the lock; false when another live
    // process holds it.
    bool Acquire();
    std::string LockPath() const { return path_; }

private:
    std::string path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace tav
