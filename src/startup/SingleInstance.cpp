#include "startup/SingleInstance.h"

#include "startup/PrivateFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Commands {

namespace {

// The open lock file of this copy; -1 while it holds none.
int g_lockFd = -1;
QByteArray g_lockPath;

// Where the running copy hears of later starts; it lives while the claim does.
int g_listenFd = -1;
std::unique_ptr<QSocketNotifier> g_listener;

constexpr char kShowRequest[] = "show";

QByteArray lockPath()
{
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return {};
    return QFile::encodeName(folder + QStringLiteral("vuruz.lock"));
}

// Beside the lock, in the folder only this user can enter: nobody else can
// make the toy jump to the front.
std::optional<sockaddr_un> listenerAddress(const QByteArray& lock)
{
    if (lock.isEmpty())
        return std::nullopt;
    const QByteArray path = lock.chopped(4) + "socket";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return address;
}

// One datagram, no connection: a copy that is still starting, or one that
// hangs, costs this start nothing.
void askRunningCopyToShow(const QByteArray& lock)
{
    const auto address = listenerAddress(lock);
    if (!address)
        return;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    ::sendto(fd, kShowRequest, sizeof kShowRequest - 1, MSG_NOSIGNAL,
             reinterpret_cast<const sockaddr*>(&*address), sizeof *address);
    ::close(fd);
}

void stopListening()
{
    g_listener.reset();
    if (g_listenFd < 0)
        return;
    ::close(g_listenFd);
    g_listenFd = -1;
    if (const auto address = listenerAddress(g_lockPath))
        ::unlink(address->sun_path);
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
            askRunningCopyToShow(path);
            return false;
        case Claim::Impossible:
            break;
        }
    }
    // A lock that cannot be had at all must not keep the game from starting.
    return true;
}

void whenStartedAgain(std::function<void()> shown)
{
    if (g_lockFd < 0 || !shown)
        return;
    static const bool cleanupRegistered = [] {
        qAddPostRoutine(stopListening);
        return true;
    }();
    Q_UNUSED(cleanupRegistered);
    stopListening();
    const auto address = listenerAddress(g_lockPath);
    if (!address)
        return;
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return;
    // We hold the lock, so a socket file there is a dead copy's.
    ::unlink(address->sun_path);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        ::close(fd);
        return;
    }
    g_listenFd = fd;
    g_listener = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(g_listener.get(), &QSocketNotifier::activated, [fd, shown = std::move(shown)] {
        bool asked = false;
        char request[sizeof kShowRequest];
        ssize_t got = 0;
        while ((got = ::recv(fd, request, sizeof request, 0)) >= 0)
            asked = asked || (got == ssize_t(sizeof kShowRequest - 1) &&
                              std::memcmp(request, kShowRequest, size_t(got)) == 0);
        // Several starts at once raise the toy once.
        if (asked)
            shown();
    });
}

void releaseSingleInstance()
{
    if (g_lockFd < 0)
        return;
    stopListening();
    // Removed while still held, so no copy starting now finds our file.
    ::unlink(g_lockPath.constData());
    ::close(g_lockFd);
    g_lockFd = -1;
    g_lockPath.clear();
}

} // namespace Commands
