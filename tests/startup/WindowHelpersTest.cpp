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

// A second start brings the toy whole onto a screen: moved the least way
// into the screen it covers most, and left where it is when it stands whole
// on any one of them.
TEST(WindowHelpers, WholeOnAScreen)
{
    const QList<QRect> two = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1280, 1024)};
    const struct {
        const char* what;
        QRect frame;
        QList<QRect> screens;
        QPoint expected;
    } cases[] = {
        {"whole on the first", {100, 100, 549, 550}, two, {100, 100}},
        {"whole on the second", {1500, 300, 549, 550}, two, {1500, 300}},
        {"in the corner of the first", {0, 0, 549, 550}, two, {0, 0}},
        {"almost off the right edge", {2500, 100, 549, 550}, two, {2011, 100}},
        {"almost off the bottom", {100, 1000, 549, 550}, two, {100, 474}},
        {"off the top left", {-500, -540, 549, 550}, two, {0, 0}},
        {"across both, more on the second", {1100, 100, 549, 550}, two, {1280, 100}},
        {"across both, more on the first", {1000, 100, 549, 550}, two, {731, 100}},
        {"beside every screen", {5000, 5000, 549, 550}, two, {731, 474}},
        {"larger than the screen", {-10, -10, 1400, 1100}, {two[0]}, {0, 0}},
        {"a screen that does not start at 0",
         {900, 900, 549, 550},
         {QRect(1280, 200, 800, 600)},
         {1280, 250}},
        {"no screen", {-500, -500, 549, 550}, {}, {-500, -500}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Commands::wholeOnAScreen(c.frame, c.screens), c.expected) << c.what;
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
