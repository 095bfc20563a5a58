#include "startup/Settings.h"

#include "startup/Globals.h"
#include "startup/IniStore.h"

namespace Commands {

QString SettingsFile::read(const Setting& setting)
{
    return ReadIniString(AppTitle, setting.name(), IniFile, setting.defaultText());
}

void SettingsFile::write(const Setting& setting, const QString& value)
{
    WriteIniString(AppTitle, setting.name(), value, IniFile);
}

} // namespace Commands
