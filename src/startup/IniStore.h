#pragma once

#include <QString>

// Reading and writing single values of the settings file.
namespace Commands {

QString ReadIniString(const QString& section, const QString& key, const QString& file,
                      const QString& defaultValue = QString());
void WriteIniString(const QString& section, const QString& key, const QString& value,
                    const QString& file);

} // namespace Commands
