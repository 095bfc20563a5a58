#include "startup/AppDataPlaces.h"

#include "startup/FilePlaces.h"
#include "startup/PrivateFolder.h"
#include "startup/SafeWrite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>

namespace Commands {

namespace {

QString sameFolder(const QString& path)
{
    // A link to the program (a packaged program started through
    // /usr/bin, say) is judged by where the program really lies.
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

QString folderIn(QStandardPaths::StandardLocation base, const QString& exeName, bool create)
{
    const QString home = QStandardPaths::writableLocation(base);
    if (home.isEmpty() || exeName.isEmpty())
        return {};
    QString folder = QDir::cleanPath(home + u'/' + exeName);
    if (create)
        QDir().mkpath(folder);
    AddBackslash(folder);
    return folder;
}

std::optional<QByteArray> readSmallPlainFile(const QString& path)
{
    // Both files are a few hundred bytes; anything odd in an old place is
    // left where it is.
    constexpr qint64 kMaxBytes = 1024 * 1024;
    if (checkPlainFile(path, kMaxBytes) != PlainFile::Plain)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.read(kMaxBytes);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

QStringList installFolders()
{
    QStringList folders{QStringLiteral("/usr/games"), QStringLiteral("/usr/bin"),
                        QStringLiteral("/usr/local/games"), QStringLiteral("/usr/local/bin")};
#ifdef VURUZ_INSTALL_BINDIR
    const QString configured = QDir::cleanPath(QStringLiteral(VURUZ_INSTALL_BINDIR));
    if (!folders.contains(configured))
        folders.prepend(configured);
#endif
    return folders;
}

bool isInstalledProgram(const QString& appPath, const QStringList& installed)
{
    if (appPath.isEmpty())
        return false;
    const QString here = sameFolder(appPath);
    for (const QString& folder : installed) {
        if (!folder.isEmpty() && sameFolder(folder) == here)
            return true;
    }
    return false;
}

QString playerFilesFolder(const QString& appPath, const QString& exeName, PlayerFile which)
{
    return playerFilesFolder(appPath, exeName, which, isInstalledProgram(appPath));
}

QString playerFilesFolder(const QString& appPath, const QString& exeName, PlayerFile which,
                          bool installed)
{
    const QFileInfo programFolder(appPath);
    if (!installed && programFolder.isDir() && programFolder.isWritable())
        return appPath;
    const QString folder =
        folderIn(which == PlayerFile::Settings ? QStandardPaths::GenericConfigLocation
                                               : QStandardPaths::GenericDataLocation,
                 exeName, true);
    return folder.isEmpty() ? appPath : folder;
}

void takeOverOldFile(const QString& appPath, const QString& exeName, const QString& folder,
                     const QString& fileName)
{
    // Files beside the program stay its own; earlier places are only for a
    // copy that keeps its files in the player's folders.
    if (folder.isEmpty() || fileName.isEmpty() ||
        (!appPath.isEmpty() && sameFolder(appPath) == sameFolder(folder)))
        return;
    const QString copy = folder + fileName;
    if (QFileInfo(copy).exists() || QFileInfo(copy).isSymLink())
        return;

    const QString dataFolder = folderIn(QStandardPaths::GenericDataLocation, exeName, false);
    if (!dataFolder.isEmpty() && sameFolder(dataFolder) != sameFolder(folder)) {
        const QString old = dataFolder + fileName;
        if (const auto bytes = readSmallPlainFile(old)) {
            if (writeFileSafely(copy, *bytes))
                QFile::remove(old);
            return;
        }
    }
    if (appPath.isEmpty())
        return;
    if (const auto bytes = readSmallPlainFile(appPath + fileName))
        writeFileSafely(copy, *bytes);
}

} // namespace Commands
