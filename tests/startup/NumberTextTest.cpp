#include "startup/NumberText.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

struct LeadingCase {
    const char* text;
    double expected;
};

// Setting texts are read by their leading number; whatever follows is ignored.
TEST(NumberText, TakesTheNumberAtTheStartOfTheText)
{
    const LeadingCase cases[] = {
        {"650ms", 650}, {"  1 2 3", 123}, {"-5", -5},    {"+7", 7},       {"- 5", -5},
        {"2.5", 2.5},   {".5", 0.5},      {"5.", 5},     {"1.2.3", 1.2},  {"1,5", 1},
        {"1e3", 1000},  {"1E3", 1000},    {"2d2", 200},  {"1 e 3", 1000}, {"5e-1", 0.5},
        {"1e", 1},      {"1e+", 1},       {"1ex", 1},    {"abc", 0},      {"", 0},
        {"   ", 0},     {"-", 0},         {".", 0},      {"e5", 0},       {"--5", 0},
        {"\t42\n", 42}, {"0800", 800},    {"1e-400", 0}, {"12abc34", 12},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Commands::leadingNumber(QString::fromUtf8(c.text)), c.expected)
            << '"' << c.text << '"';
}

TEST(NumberText, HugeNumbersDoNotFitAnyInteger)
{
    const double huge = Commands::leadingNumber(QStringLiteral("1e400"));
    EXPECT_FALSE(Commands::toInt32(huge).has_value());
    EXPECT_FALSE(Commands::toInt16(huge).has_value());
    EXPECT_FALSE(Commands::toInt32(-huge).has_value());
    EXPECT_FALSE(Commands::toInt32(std::numeric_limits<double>::quiet_NaN()).has_value());
}

struct RoundCase {
    double value;
    std::optional<qint16> int16;
    std::optional<qint32> int32;
};

// Halves go to the even neighbour; a result outside the type is no result.
TEST(NumberText, RoundsHalfToEvenAndRefusesWhatDoesNotFit)
{
    const RoundCase cases[] = {
        {2.5, 2, 2},
        {3.5, 4, 4},
        {-2.5, -2, -2},
        {-3.5, -4, -4},
        {0.5, 0, 0},
        {1.5, 2, 2},
        {2.4999, 2, 2},
        {2.5001, 3, 3},
        {-0.4, 0, 0},
        {32767.0, 32767, 32767},
        {32767.4, 32767, 32767},
        {32767.5, std::nullopt, 32768},
        {-32768.5, -32768, -32768},
        {-32769.0, std::nullopt, -32769},
        {40000.0, std::nullopt, 40000},
        {2147483647.0, std::nullopt, 2147483647},
        {2147483647.5, std::nullopt, std::nullopt},
        {-2147483648.5, std::nullopt, -2147483647 - 1},
        {-2147483649.0, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Commands::toInt16(c.value), c.int16) << c.value;
        EXPECT_EQ(Commands::toInt32(c.value), c.int32) << c.value;
    }
}

} // namespace
