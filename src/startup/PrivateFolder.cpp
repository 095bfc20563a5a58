#include "startup/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Commands {

namespace {

// The last folder made by mkdtemp, so that every caller in this run (the
// lock, the beat) agrees on one place.
QString g_madeFolder;

QString withSeparator(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

} // namespace

bool isPrivateFolder(const QString& path)
{
    if (path.isEmpty() || !QDir::isAbsolutePath(path))
        return false;
    struct stat st {};
    // Ownership by uid, not access(): root may enter every folder, and a
    // folder another user owns is theirs to swap under us.
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 0777) == 0700;
}

QString privateFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    // A trailing separator would make lstat follow a link at that path.
    if (isPrivateFolder(QDir::cleanPath(runtime)))
        return withSeparator(QDir::cleanPath(runtime));

    const QString temp = QDir::tempPath();
    const QString own = temp + QStringLiteral("/vuruz-") + QString::number(::geteuid());
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    if (isPrivateFolder(own))
        return withSeparator(own);

    // Someone else holds that name. The player's cache folder is a place of
    // our own that every copy finds again, so the lock still keeps one copy.
    QString cacheHome = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(cacheHome))
        cacheHome = QDir::homePath() + QStringLiteral("/.cache");
    const QString cached = QDir::cleanPath(cacheHome) + QStringLiteral("/vuruz");
    if (QDir().mkpath(QDir::cleanPath(cacheHome))) {
        ::mkdir(QFile::encodeName(cached).constData(), 0700);
        if (isPrivateFolder(cached))
            return withSeparator(cached);
    }

    // Last resort: a fresh folder of our own in the temp folder.
    if (!g_madeFolder.startsWith(own + u'-') || !isPrivateFolder(g_madeFolder)) {
        QByteArray pattern = QFile::encodeName(own + QStringLiteral("-XXXXXX"));
        if (!::mkdtemp(pattern.data()))
            return {};
        g_madeFolder = QFile::decodeName(pattern);
    }
    return withSeparator(g_madeFolder);
}

PlainFile checkPlainFile(const QString& path, qint64 maxBytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? PlainFile::Missing : PlainFile::Refused;
    struct stat st {};
    const bool plain = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes;
    ::close(fd);
    return plain ? PlainFile::Plain : PlainFile::Refused;
}

} // namespace Commands
