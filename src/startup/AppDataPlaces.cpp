#include "startup/AppDataPlaces.h"

#include "startup/FilePlaces.h"
#include "startup/PrivateFolder.h"
#include "startup/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace Commands {

QString playerFilesFolder(const QString& appPath, const QString& exeName)
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

void takeOverFileBesideProgram(const QString& appPath, const QString& folder,
                               const QString& fileName)
{
    if (appPath.isEmpty() || folder.isEmpty() || fileName.isEmpty() ||
        QDir::cleanPath(appPath) == QDir::cleanPath(folder))
        return;
    const QString copy = folder + fileName;
    if (QFileInfo(copy).exists() || QFileInfo(copy).isSymLink())
        return;
    // Both files are a few hundred bytes; anything odd beside the program is
    // left where it is.
    constexpr qint64 kMaxBytes = 1024 * 1024;
    const QString original = appPath + fileName;
    if (checkPlainFile(original, kMaxBytes) != PlainFile::Plain)
        return;
    QFile file(original);
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.read(kMaxBytes);
    if (file.error() != QFileDevice::NoError)
        return;
    writeFileSafely(copy, bytes);
}

} // namespace Commands
