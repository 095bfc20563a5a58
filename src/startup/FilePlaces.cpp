#include "startup/FilePlaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Commands {

QString GetTempDir()
{
    // The per-user runtime folder only its owner can enter, like a per-user
    // temp folder; the shared system temp folder otherwise.
    QString dir;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        dir = runtime;
    else
        dir = QDir::tempPath();
    AddBackslash(dir);
    return dir;
}

void AddBackslash(QString& path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
}

bool FileExists(const QString& path)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return false;
    QFile file(path);
    return file.open(QIODevice::ReadOnly);
}

QString GetLongPath(const QString& path)
{
    // There are no short 8.3 names here, and file names are case-sensitive:
    // re-casing the path would name a file that does not exist.
    return path;
}

}  // namespace Commands
