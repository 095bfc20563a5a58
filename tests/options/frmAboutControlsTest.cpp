#include "DialogHarness.h"
#include "startup/Globals.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

void dragTo(QScrollBar& bar, QPoint point)
{
    QMouseEvent move(QEvent::MouseMove, point, bar.mapToGlobal(point), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
}

// While the thumb is dragged only the label follows it; the answer timer and
// the bar's value change once, when the thumb is let go.
TEST_F(OptionsDialogTest, DraggingUpdatesOnlyTheLabelUntilReleased)
{
    openDialog([&](frmAbout& dialog) {
        auto* bar = control<QScrollBar>(dialog, "HScroll1");
        auto* label = control<QLabel>(dialog, "Label3");
        ASSERT_TRUE(bar && label);
        bar->setValue(800);
        answerTimer.setInterval(1234);
        const QPoint grip = scrollBarPart(*bar, QStyle::SC_ScrollBarSlider).center();
        QTest::mousePress(bar, Qt::LeftButton, Qt::NoModifier, grip);
        ASSERT_TRUE(bar->isSliderDown());

        QStringList seen;
        for (int dx = 4; dx <= 24; dx += 4) {
            dragTo(*bar, grip + QPoint(dx, 0));
            seen << label->text();
            EXPECT_EQ(label->text(), sensitivityText(bar->sliderPosition()));
            EXPECT_EQ(bar->value(), 800);
            EXPECT_EQ(answerTimer.interval(), 1234);
        }
        seen.removeDuplicates();
        EXPECT_GE(seen.size(), 3) << "the label follows every step of the drag";
        const int released = bar->sliderPosition();
        EXPECT_GT(released, 800);

        QTest::mouseRelease(bar, Qt::LeftButton, Qt::NoModifier, grip + QPoint(24, 0));
        EXPECT_EQ(bar->value(), released);
        EXPECT_EQ(label->text(), sensitivityText(released));
        EXPECT_EQ(answerTimer.interval(), released);
        EXPECT_FALSE(answerTimer.isActive());
    });
}

enum class Act {
    ArrowRight,
    ArrowLeft,
    TrackRight,
    TrackLeft,
    KeyRight,
    KeyLeft,
    PageDown,
    PageUp
};

struct StepCase {
    const char* what;
    int start;
    Act act;
    int expected;
};

// Arrows and keys move by 1, the track by 500, never past 200 or 3000; every
// completed change reaches the label and the answer timer.
TEST_F(OptionsDialogTest, ArrowsAndTrackStepWithinRange)
{
    const StepCase cases[] = {
        {"right arrow", 800, Act::ArrowRight, 801},
        {"left arrow", 800, Act::ArrowLeft, 799},
        {"track right", 800, Act::TrackRight, 1300},
        {"track left", 800, Act::TrackLeft, 300},
        {"key right", 800, Act::KeyRight, 801},
        {"key left", 800, Act::KeyLeft, 799},
        {"page down key", 800, Act::PageDown, 1300},
        {"page up key", 800, Act::PageUp, 300},
        {"page down key near top", 2700, Act::PageDown, 3000},
        {"right arrow at top", 3000, Act::ArrowRight, 3000},
        {"track right near top", 2800, Act::TrackRight, 3000},
        {"left arrow at bottom", 200, Act::ArrowLeft, 200},
        {"track left near bottom", 450, Act::TrackLeft, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        openDialog([&](frmAbout& dialog) {
            auto* bar = control<QScrollBar>(dialog, "HScroll1");
            ASSERT_TRUE(bar);
            bar->setValue(c.start);
            answerTimer.setInterval(1234);
            switch (c.act) {
            case Act::ArrowRight:
                clickAt(*bar, scrollBarPart(*bar, QStyle::SC_ScrollBarAddLine).center());
                break;
            case Act::ArrowLeft:
                clickAt(*bar, scrollBarPart(*bar, QStyle::SC_ScrollBarSubLine).center());
                break;
            case Act::TrackRight:
                clickAt(*bar, scrollBarPart(*bar, QStyle::SC_ScrollBarAddPage).center());
                break;
            case Act::TrackLeft:
                clickAt(*bar, scrollBarPart(*bar, QStyle::SC_ScrollBarSubPage).center());
                break;
            case Act::KeyRight:
                QTest::keyClick(bar, Qt::Key_Right);
                break;
            case Act::KeyLeft:
                QTest::keyClick(bar, Qt::Key_Left);
                break;
            case Act::PageDown:
                QTest::keyClick(bar, Qt::Key_PageDown);
                break;
            case Act::PageUp:
                QTest::keyClick(bar, Qt::Key_PageUp);
                break;
            }
            EXPECT_EQ(bar->value(), c.expected);
            EXPECT_EQ(control<QLabel>(dialog, "Label3")->text(), sensitivityText(c.expected));
            EXPECT_EQ(answerTimer.interval(), c.expected == c.start ? 1234 : c.expected);
        });
    }
}

// A language choice is live at once, before anything is saved.
TEST_F(OptionsDialogTest, ChoosingLanguageSetsItAtOnce)
{
    openDialog([&](frmAbout& dialog) {
        clickAt(*control<QRadioButton>(dialog, "optLang1"), {8, 8});
        EXPECT_EQ(Commands::Language, 1);
        clickAt(*control<QRadioButton>(dialog, "optLang0"), {8, 8});
        EXPECT_EQ(Commands::Language, 0);
    });
    EXPECT_TRUE(settings.writes.empty());
}

// The dialog opens with the focus on "Programm beenden"; Tab visits the
// buttons, the bar and the language group in the designed order.
TEST_F(OptionsDialogTest, FocusStartsOnProgramEndAndTabFollowsDesign)
{
    openDialog([&](frmAbout& dialog) {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"));

        QStringList order;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(order, (QStringList{"Command2", "HScroll1", "Command3", "optLang0", "Command1"}));
    });
}

// Escape does not leave the dialog (no cancel button); Enter presses the
// focused button, here "Programm beenden".
TEST_F(OptionsDialogTest, EscapeStaysEnterPressesFocusedButton)
{
    openDialog([&](frmAbout& dialog) {
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(programEnds, 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        letSoundsEnd();
        EXPECT_EQ(programEnds, 1);
    });
}

} // namespace
