#include "startup/Resources.h"

#include <QFile>

namespace Commands {

std::optional<QByteArray> loadResource(const QString& type, const QString& name)
{
    if (type.isEmpty() || name.isEmpty())
        return std::nullopt;
    QFile file(QStringLiteral(":/%1/%2").arg(type, name));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace Commands
