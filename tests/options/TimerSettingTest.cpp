#include "options/TimerSetting.h"

#include "DialogHarness.h"

#include <gtest/gtest.h>

namespace {

struct StoredCase {
    const char* stored;
    int barValue;
    bool inRange;
};

// The stored text becomes the bar's position; what the bar cannot show is
// pulled to the nearer end and flagged, so the dialog leaves the timer alone.
TEST(StoredSensitivity, StoredTextBecomesBarPosition)
{
    const StoredCase cases[] = {
        {"800", 800, true},     {"1500", 1500, true},   {"200", 200, true},
        {"3000", 3000, true},   {"1500ms", 1500, true}, {"1500.5", 1500, true},
        {"1501.5", 1502, true}, {"199", 200, false},    {"199.5", 200, true},
        {"3001", 3000, false},  {"", 200, false},       {"abc", 200, false},
        {"-800", 200, false},   {"40000", 3000, false}, {"-40000", 200, false},
    };
    for (const auto& c : cases) {
        const auto result = Options::storedSensitivity(QString::fromLatin1(c.stored));
        EXPECT_EQ(result.barValue, c.barValue) << '"' << c.stored << '"';
        EXPECT_EQ(result.inRange, c.inRange) << '"' << c.stored << '"';
    }
}

} // namespace
