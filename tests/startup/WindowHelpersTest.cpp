#include "startup/WindowHelpers.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

struct CenterCase {
    int screenW, screenH, formW, formH;
    QPoint expected; // left, top in twips
};

// Centred across the screen and within its upper 85 %, never off its top or
// left edge.
TEST(WindowHelpers, CenteredPositionInTwips)
{
    const CenterCase cases[] = {
        {15360, 11520, 6000, 6000, {4680, 1896}},
        {15360, 11520, 6000, 12000, {4680, 0}},
        {15360, 11520, 20000, 6000, {0, 1896}},
        {15360, 11521, 6001, 6001, {4680, 1896}}, // halvings drop the remainder
        {19200, 15360, 9000, 6750, {5100, 3153}},
        {15, 90, 0, 0, {7, 38}},
        {0, 0, 300, 300, {0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Commands::centeredPosition(c.screenW, c.screenH, c.formW, c.formH), c.expected)
            << c.screenW << 'x' << c.screenH << " form " << c.formW << 'x' << c.formH;
}

TEST(WindowHelpers, CenterFormPlacesAWindowOnThePrimaryScreen)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    struct Case {
        QSize screen;
        QPoint expected;
    };
    // A 400 x 300 pixel window, worked out by hand in twips.
    const Case cases[] = {{{1280, 1024}, {440, 285}}, {{800, 600}, {200, 105}}};
    for (const auto& c : cases) {
        if (screen->geometry().size() != c.screen)
            continue;
        QWidget form(nullptr, Qt::FramelessWindowHint);
        form.resize(400, 300);
        Commands::CenterForm(form);
        EXPECT_EQ(form.pos(), screen->geometry().topLeft() + c.expected);
        return;
    }
    GTEST_SKIP() << "no worked example for this screen size";
}

TEST(WindowHelpers, SetTopmostKeepsAShownWindowShownAndAHiddenOneHidden)
{
    QWidget shown;
    shown.resize(100, 100);
    shown.show();
    Commands::SetTopmost(shown);
    EXPECT_TRUE(shown.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(shown.isVisible());
    Commands::SetTopmost(shown);
    EXPECT_TRUE(shown.isVisible());

    QWidget hidden;
    Commands::SetTopmost(hidden);
    EXPECT_TRUE(hidden.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(hidden.isVisible());
}

} // namespace
