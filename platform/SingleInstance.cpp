#include "platform/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace tav {

SingleInstance::SingleInstance(const std::string& lockName) {
    QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
    path_ = (dir + "/" + QString::fromStdString(lockName)).toStdString();
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Acquire() {
    lock_ = std::make_unique<QLockFile>(QString::fromStdString(path_));
    // A lock whose owner process is gone is stale and removed by tryLock.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return true;
    if (lock_->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, app;
        // The holder may have died between our attempt and now.
        if (lock_->getLockInfo(&pid, &host, &app) && lock_->removeStaleLockFile() && lock_->tryLock(0))
            return true;
    }
    lock_.reset();
    return false;
}

} // namespace tav
