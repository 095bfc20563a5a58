#include "options/TimerSetting.h"

#include "startup/NumberText.h"

namespace Options {

StoredSensitivity storedSensitivity(const QString& text)
{
    const double number = Commands::leadingNumber(text);
    const auto value = Commands::toInt16(number);
    if (!value) // beyond 16 bits: only its side matters
        return {number > 0 ? kSensitivityMax : kSensitivityMin, false};
    if (*value < kSensitivityMin)
        return {kSensitivityMin, false};
    if (*value > kSensitivityMax)
        return {kSensitivityMax, false};
    return {*value, true};
}

} // namespace Options
