#include "startup/FilePlaces.h"

#include "startup/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Commands {

QString GetTempDir()
{
    // The beat is written and read here: a shared folder would let another
    // user plant a pipe or a huge file under its name. With no private folder
    // to be had the name stays empty, and start-up skips the beat.
    return privateFolder();
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

} // namespace Commands
