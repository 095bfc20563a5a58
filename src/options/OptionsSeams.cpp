#include "options/OptionsSeams.h"

#include "startup/Globals.h"
#include "startup/IniStore.h"
#include "startup/StartUp.h"

namespace Options {
namespace {

class SettingsFile final : public SettingsAccess {
  public:
    QString read(const QString& key, const QString& defaultValue) override
    {
        return Commands::ReadIniString(Commands::AppTitle, key, Commands::IniFile, defaultValue);
    }
    void write(const QString& key, const QString& value) override
    {
        Commands::WriteIniString(Commands::AppTitle, key, value, Commands::IniFile);
    }
};

SettingsAccess* g_settings = nullptr;
std::function<void()> g_programEnd;

} // namespace

void setSettingsAccess(SettingsAccess* access)
{
    g_settings = access;
}

SettingsAccess& settingsAccess()
{
    static SettingsFile file;
    if (g_settings)
        return *g_settings;
    return file;
}

void setProgramEnd(std::function<void()> end)
{
    g_programEnd = std::move(end);
}

void endProgram()
{
    if (g_programEnd)
        g_programEnd();
    else
        Commands::EndProgram();
}

} // namespace Options
