#pragma once

#include "startup/Settings.h"

#include <QString>

// How the options dialog reads the stored timer sensitivity.
namespace Options {

inline constexpr int kSensitivityMin = Commands::kTimerSetting.min;
inline constexpr int kSensitivityMax = Commands::kTimerSetting.max;

struct StoredSensitivity {
    int barValue =
        Commands::kTimerSetting.defaultValue; // what the scroll bar can show, within min..max
    bool inRange = true; // false when the stored value had to be pulled into range
};

// The stored timer text's leading number, rounded half to even; a value the
// scroll bar cannot take is pulled to the nearer end.
StoredSensitivity storedSensitivity(const QString& text);

} // namespace Options
