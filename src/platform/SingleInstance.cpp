#include "platform/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString& title, const QString& directory)
{
    QString dir = directory;
    if (dir.isEmpty()) dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = QDir::tempPath();
    QDir().mkpath(dir);
    QString name = title;
    name.replace('/', '_');
    path_ = QDir(dir).filePath(name + ".lock");
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    if (lock_ && lock_->isLocked()) return true;
    lock_ = std::make_unique<QLockFile>(path_);
    // A lock whose owner no longer runs is stale and taken over at once.
    lock_->setStaleLockTime(0);
    return lock_->tryLock(0);
}
