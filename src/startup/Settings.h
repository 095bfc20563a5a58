#pragma once

#include <QString>

// The two stored settings, each said once: its key in the settings file, its
// value when none is stored, and the range the options dialog offers.
namespace Commands {

struct Setting {
    const char* key;
    int defaultValue;
    int min;
    int max;

    QString name() const { return QString::fromLatin1(key); }
    QString defaultText() const { return QString::number(defaultValue); }
};

// The answer time in milliseconds, the "timer sensitivity".
inline constexpr Setting kTimerSetting{"Timer", 800, 200, 3000};
// 0 German, 1 English.
inline constexpr Setting kLanguageSetting{"Language", 0, 0, 1};

// Where start-up and the options dialog read and write the settings: the
// program's settings file, under the product title.
class SettingsAccess {
  public:
    virtual ~SettingsAccess() = default;
    // The stored text, or the setting's default as text.
    virtual QString read(const Setting& setting) = 0;
    virtual void write(const Setting& setting, const QString& value) = 0;
};

// The program's settings file (`IniFile`), under the product title.
class SettingsFile final : public SettingsAccess {
  public:
    QString read(const Setting& setting) override;
    void write(const Setting& setting, const QString& value) override;
};

} // namespace Commands
