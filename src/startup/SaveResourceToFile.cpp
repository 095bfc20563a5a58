#include "startup/SaveResourceToFile.h"

#include "startup/Resources.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>

namespace AppModul {

QString SaveResourceToFile(const QString& path, const QString& resourceName,
                           const QString& resourceType)
{
    if (path.isEmpty())
        return {};
    const std::optional<QByteArray> bytes = Commands::LoadResource(resourceType, resourceName);
    if (!bytes)
        return {};

    // The folder may be shared: write a fresh file of our own (created
    // exclusively, never through a planted link) beside the target and rename
    // it over the path. The rename replaces whatever stands there, a link
    // included, without following it, and leaves no tail of a longer old file.
    const QFileInfo target(path);
    QTemporaryFile temp(target.absolutePath() + u'/' + u'.' + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return {};
    if (temp.write(*bytes) != bytes->size() || !temp.flush())
        return {};
    temp.close();
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(path).constData()) != 0)
        return {};
    temp.setAutoRemove(false);
    return path;
}

}  // namespace AppModul
