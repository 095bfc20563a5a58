#include "startup/Settings.h"

#include "startup/Globals.h"
#include "startup/IniStore.h"

namespace Commands {
namespace {

class SettingsFile final : public SettingsAccess {
  public:
    QString read(const Setting& setting) override
    {
        return ReadIniString(AppTitle, setting.name(), IniFile, setting.defaultText());
    }
    void write(const Setting& setting, const QString& value) override
    {
        WriteIniString(AppTitle, setting.name(), value, IniFile);
    }
};

SettingsAccess* g_settings = nullptr;

} // namespace

void setSettingsAccess(SettingsAccess* access)
{
    g_settings = access;
}

SettingsAccess& settingsAccess()
{
    static SettingsFile file;
    return g_settings ? *g_settings : file;
}

} // namespace Commands
