#include "startup/SingleInstance.h"

#include "startup/PrivateFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Commands {

namespace {

// The open lock file of this copy; -1 while it holds none.
int g_lockFd = -1;
QByteArray g_lockPath;

QByteArray lockPath()
{
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return {};
    return QFile::encodeName(folder + QStringLiteral("wendrake-vuruz-erireviru-simulator.lock"));
}

bool sameFile(int fd, const QByteArray& path)
{
    struct stat open {
    }, named{};
    return ::fstat(fd, &open) == 0 && ::lstat(path.constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

void noteOwner(int fd)
{
    // For a reader's eyes only: the kernel's lock, not the text, decides.
    const QByteArray text = QByteArray::number(::getpid()) + '\n' +
                            QCoreApplication::applicationName().toLocal8Bit() + '\n';
    if (::ftruncate(fd, 0) == 0) [[maybe_unused]]
        const ssize_t written = ::pwrite(fd, text.constData(), text.size(), 0);
}

enum class Claim { Taken, HeldByLiveCopy, Impossible };

Claim tryClaim(const QByteArray& path)
{
    const int fd = ::open(path.constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) {
        // A link or a pipe in its place is no copy of the game: clear it away.
        if (errno == ELOOP || errno == ENXIO || errno == EISDIR)
            ::unlink(path.constData());
        return Claim::Impossible;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        ::unlink(path.constData());
        return Claim::Impossible;
    }
    // The kernel drops the lock when its holder ends, however it ends: a lock
    // file that is empty, garbled or names a dead or foreign process is free.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? Claim::HeldByLiveCopy : Claim::Impossible;
    }
    // A copy that was ending may have removed the file we opened; a lock on
    // the removed file would keep nobody out.
    if (!sameFile(fd, path)) {
        ::close(fd);
        return Claim::Impossible;
    }
    noteOwner(fd);
    g_lockFd = fd;
    g_lockPath = path;
    return Claim::Taken;
}

} // namespace

bool claimSingleInstance()
{
    if (g_lockFd >= 0)
        return true;
    const QByteArray path = lockPath();
    if (path.isEmpty())
        return true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        switch (tryClaim(path)) {
        case Claim::Taken:
            return true;
        case Claim::HeldByLiveCopy:
            return false;
        case Claim::Impossible:
            break;
        }
    }
    // A lock that cannot be had at all must not keep the game from starting.
    return true;
}

void releaseSingleInstance()
{
    if (g_lockFd < 0)
        return;
    // Removed while still held, so no copy starting now finds our file.
    ::unlink(g_lockPath.constData());
    ::close(g_lockFd);
    g_lockFd = -1;
    g_lockPath.clear();
}

} // namespace Commands
