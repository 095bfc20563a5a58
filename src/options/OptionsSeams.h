#pragma once

#include <QString>
#include <functional>

// What the options dialog reaches outside itself, replaceable for tests: the
// settings it reads and writes, and the end of the program.
namespace Options {

class SettingsAccess {
  public:
    virtual ~SettingsAccess() = default;
    virtual QString read(const QString& key, const QString& defaultValue) = 0;
    virtual void write(const QString& key, const QString& value) = 0;
};

// nullptr puts the program's settings file back. The access is not owned.
void setSettingsAccess(SettingsAccess* access);
SettingsAccess& settingsAccess();

// An empty function puts the real end of the program back.
void setProgramEnd(std::function<void()> end);
void endProgram();

} // namespace Options
