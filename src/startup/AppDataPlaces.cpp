#include "startup/AppDataPlaces.h"

#include "startup/FilePlaces.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Commands {

QString PlayerFilesFolder(const QString& appPath, const QString& exeName)
{
    const QFileInfo programFolder(appPath);
    if (programFolder.isDir() && programFolder.isWritable())
        return appPath;

    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || exeName.isEmpty())
        return appPath;
    QString folder = QDir::cleanPath(dataHome + u'/' + exeName);
    QDir().mkpath(folder);
    AddBackslash(folder);
    return folder;
}

}  // namespace Commands
