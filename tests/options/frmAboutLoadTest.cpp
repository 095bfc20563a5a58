#include "DialogHarness.h"
#include "startup/Globals.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>

namespace {

struct TimerLoadCase {
    std::optional<const char*> stored;
    int barValue;
    int timerInterval; // the main window's answer timer starts at 1234
};

// The stored sensitivity moves bar, label and answer timer as the dialog
// opens; the layout's own 800, or a value the bar cannot take, leaves the
// timer as start-up set it.
TEST_F(OptionsDialogTest, StoredTimerSetsBarLabelAndAnswerTimer)
{
    const TimerLoadCase cases[] = {
        {std::nullopt, 800, 1234}, {"800", 800, 1234},   {"1500", 1500, 1500},
        {"200", 200, 200},         {"3000", 3000, 3000}, {"5000", 3000, 1234},
        {"100", 200, 1234},        {"nix", 200, 1234},   {"99999", 3000, 1234},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(none)"));
        settings.stored.clear();
        if (c.stored)
            settings.stored[QStringLiteral("Timer")] = QString::fromLatin1(*c.stored);
        answerTimer.setInterval(1234);
        openDialog([&](frmAbout& dialog) {
            EXPECT_EQ(control<QScrollBar>(dialog, "HScroll1")->value(), c.barValue);
            EXPECT_EQ(control<QLabel>(dialog, "Label3")->text(), sensitivityText(c.barValue));
            EXPECT_EQ(answerTimer.interval(), c.timerInterval);
        });
        EXPECT_FALSE(answerTimer.isActive()) << "the dialog never starts the answer timer";
    }
}

// A stored value the bar cannot show survives until the player saves; then
// the bar's value is what gets stored.
TEST_F(OptionsDialogTest, OutOfRangeTimerIsKeptUntilSaved)
{
    settings.stored[QStringLiteral("Timer")] = QStringLiteral("5000");
    openDialog([](frmAbout& dialog) { dialog.close(); });
    EXPECT_TRUE(settings.writes.empty());

    openDialog([](frmAbout& dialog) { control<QPushButton>(dialog, "Command2")->click(); });
    EXPECT_EQ(settings.stored[QStringLiteral("Timer")], QStringLiteral("3000"));
}

struct LanguageLoadCase {
    std::optional<const char*> stored;
    bool english;
};

// Only the exact text "1" picks English; whatever else is stored shows German.
TEST_F(OptionsDialogTest, StoredLanguageChoosesOptionButton)
{
    const LanguageLoadCase cases[] = {
        {std::nullopt, false}, {"", false},    {"0", false},  {"2", false},
        {"01", false},         {"1.0", false}, {" 1", false}, {"1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(none)"));
        settings.stored.clear();
        if (c.stored)
            settings.stored[QStringLiteral("Language")] = QString::fromLatin1(*c.stored);
        Commands::Language = 0;
        openDialog([&](frmAbout& dialog) {
            EXPECT_EQ(control<QRadioButton>(dialog, "optLang0")->isChecked(), !c.english);
            EXPECT_EQ(control<QRadioButton>(dialog, "optLang1")->isChecked(), c.english);
            EXPECT_EQ(Commands::Language, c.english ? 1 : 0);
        });
    }
}

} // namespace
