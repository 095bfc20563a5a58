#include "support/TinyTmpfs.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

bool mountTmpfs(const QByteArray& where, int kiloBytes)
{
    const QByteArray options = "size=" + QByteArray::number(kiloBytes) + "k,mode=0755";
    return ::mount("tmpfs", where.constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                   options.constData()) == 0;
}

} // namespace

TinyTmpfs::TinyTmpfs(int kiloBytes)
{
    const QByteArray where = QFile::encodeName(m_dir.path());
    if (!m_dir.isValid()) {
        m_whyNot = QStringLiteral("no scratch folder");
        return;
    }
    if (mountTmpfs(where, kiloBytes)) {
        m_mounted = true;
        return;
    }
    // Where a plain mount is refused, a mount namespace of this test process
    // may still allow it; the mount then stays private to the test.
    const int plainError = errno;
    if (::unshare(CLONE_NEWNS) == 0 &&
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
        mountTmpfs(where, kiloBytes)) {
        m_mounted = true;
        return;
    }
    m_whyNot = QStringLiteral("cannot mount a tmpfs here (%1; in a namespace: %2)")
                   .arg(QString::fromLocal8Bit(std::strerror(plainError)),
                        QString::fromLocal8Bit(std::strerror(errno)));
}

TinyTmpfs::~TinyTmpfs()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

QString TinyTmpfs::path() const
{
    return m_dir.path() + u'/';
}

QString TinyTmpfs::file(const QString& name) const
{
    return path() + name;
}

void TinyTmpfs::fill(const QString& name) const
{
    const int fd = ::open(QFile::encodeName(file(name)).constData(),
                          O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    const QByteArray block(512, 'f');
    for (int size = block.size(); size > 0; size /= 2) {
        while (::write(fd, block.constData(), size_t(size)) == size) {
        }
    }
    ::close(fd);
}

bool TinyTmpfs::makeReadOnly()
{
    return m_mounted && ::mount(nullptr, QFile::encodeName(m_dir.path()).constData(), nullptr,
                                MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}
