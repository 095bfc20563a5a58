#include "startup/SaveResourceToFile.h"

#include "startup/Resources.h"
#include "startup/SafeWrite.h"

namespace AppModul {

QString SaveResourceToFile(const QString& path, const QString& resourceName,
                           const QString& resourceType)
{
    if (path.isEmpty())
        return {};
    const std::optional<QByteArray> bytes = Commands::loadResource(resourceType, resourceName);
    if (!bytes)
        return {};

    // A link planted at the path is replaced, never written through; a failed
    // write leaves the old file as it was.
    if (!Commands::writeFileSafely(path, *bytes, Commands::LinkAtPath::Replace,
                                   Commands::Flush::NoWait))
        return {};
    return path;
}

} // namespace AppModul
