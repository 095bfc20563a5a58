#include "startup/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Commands {

namespace {

// A save writes ".vuruz.ini.vuruz-save-<pid>-<6 random>" beside "vuruz.ini":
// hidden, tied to its target and naming its writer, so that a later start can
// tell the leftovers of a killed save from anything else in the folder.
const QString kSaveTag = QStringLiteral(".vuruz-save-");

// A save takes milliseconds; a temp file this old has no writer left, even if
// its pid has since been reused.
constexpr std::time_t kStaleSeconds = 60 * 60;

QString savePrefix(const QString& fileName)
{
    return u'.' + fileName + kSaveTag;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

mode_t newFileMode()
{
    return 0666 & ~currentUmask();
}

QString targetOf(const QString& path, LinkAtPath link)
{
    const QFileInfo info(path);
    if (link == LinkAtPath::WriteThrough && info.isSymLink()) {
        const QString file = info.canonicalFilePath();
        if (!file.isEmpty())
            return file;
    }
    return info.absoluteFilePath();
}

// The rename itself is only durable once the folder is on disk too.
void syncFolder(const QByteArray& folder)
{
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool writerIsGone(const QString& pidText)
{
    bool ok = false;
    const qlonglong pid = pidText.toLongLong(&ok);
    if (!ok || pid <= 0 || pid > INT_MAX)
        return true;
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

mode_t currentUmask()
{
    // Setting the mask is the only call that reports it, and setting it
    // twice leaves a moment in which another thread's files get mode 0666.
    // The kernel shows it in the process status instead.
    QFile status(QStringLiteral("/proc/self/status"));
    // The kernel gives the file no size, so it is read whole, not by lines.
    if (status.open(QIODevice::ReadOnly)) {
        const QByteArray text = status.readAll();
        const qsizetype at = text.startsWith("Umask:") ? 0 : text.indexOf("\nUmask:");
        if (at >= 0) {
            const qsizetype from = text.indexOf(':', at) + 1;
            const qsizetype end = text.indexOf('\n', from);
            bool ok = false;
            const uint mask = text.mid(from, end < 0 ? -1 : end - from).trimmed().toUInt(&ok, 8);
            if (ok && mask <= 0777)
                return mode_t(mask);
        }
    }
    // No /proc: the common default, which keeps others from writing.
    return 022;
}

bool writeFileSafely(const QString& path, const QByteArray& bytes, LinkAtPath link, Flush flush)
{
    if (path.isEmpty())
        return false;
    const QFileInfo target(targetOf(path, link));
    const QByteArray targetName = QFile::encodeName(target.absoluteFilePath());
    struct stat old {};
    const bool exists = ::lstat(targetName.constData(), &old) == 0;
    // A folder, a pipe or a device at the path is nothing a save replaces.
    if (exists && !S_ISREG(old.st_mode) && !S_ISLNK(old.st_mode))
        return false;
    // The player's file keeps its mode and owner; whatever stands in a shared
    // place is not the player's, and the new file is simply ours.
    const bool replacesFile = exists && S_ISREG(old.st_mode) && link == LinkAtPath::WriteThrough;

    const QByteArray folder = QFile::encodeName(target.absolutePath());
    QByteArray temp = folder + '/' + QFile::encodeName(savePrefix(target.fileName())) +
                      QByteArray::number(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, bytes);
    if (ok && replacesFile && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        // Only root may hand the file back to its owner; anyone else owns what
        // they save, as with any editor.
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    ok = ok && ::fchmod(fd, replacesFile ? (old.st_mode & 07777) : newFileMode()) == 0;
    ok = ok && (flush == Flush::NoWait || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.constData(), targetName.constData()) == 0;
    if (!ok) {
        ::unlink(temp.constData());
        return false;
    }
    if (flush == Flush::ToDisk)
        syncFolder(folder);
    return true;
}

void removeStaleSaveFiles(const QString& path)
{
    if (path.isEmpty())
        return;
    const QFileInfo target(path);
    const QString prefix = savePrefix(target.fileName());
    static const QRegularExpression kRest(QStringLiteral("^([0-9]{1,10})-[A-Za-z0-9]{6}$"));
    const QDir folder(target.absolutePath());
    const QStringList names =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        if (!name.startsWith(prefix))
            continue;
        const QRegularExpressionMatch match = kRest.match(QStringView(name).mid(prefix.size()));
        if (!match.hasMatch())
            continue;
        const QByteArray file = QFile::encodeName(folder.filePath(name));
        struct stat st {};
        if (::lstat(file.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        const bool old = std::time(nullptr) - st.st_mtime > kStaleSeconds;
        if (old || writerIsGone(match.captured(1)))
            ::unlink(file.constData());
    }
}

} // namespace Commands
