#include "startup/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <memory>

namespace Commands {

namespace {

std::unique_ptr<QLockFile> g_lock;

QString lockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/wendrake-vuruz-erireviru-simulator.lock");
}

}  // namespace

bool ClaimSingleInstance()
{
    if (g_lock)
        return true;
    auto lock = std::make_unique<QLockFile>(lockPath());
    // A running copy holds its lock however long it runs; only a lock whose
    // owner is gone (a killed copy) is taken over.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        g_lock = std::move(lock);
        return true;
    }
    // Another copy runs only when the lock is really held; a runtime folder
    // that cannot be written must not keep the game from starting.
    return lock->error() != QLockFile::LockFailedError;
}

void ReleaseSingleInstance()
{
    g_lock.reset();
}

}  // namespace Commands
