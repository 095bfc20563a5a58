#pragma once

#include <QString>

namespace Commands {

QString GetTempDir();
void AddBackslash(QString& path); // appends the platform's folder separator
bool FileExists(const QString& path);
QString GetLongPath(const QString& path);

} // namespace Commands
