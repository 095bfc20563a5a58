#include "GameFixture.h"
#include "game/PlayZone.h"

#include <QSignalSpy>
#include <QTest>

using MainWindow = GameFixture;

TEST_F(MainWindow, LoadedWindowIsAFramelessToyWithIdleGameAndRunningPoll)
{
    ToyGame game([] { return 0.0; }, scores);
    frmMain fresh(game, output, dialogs);
    fresh.Form_Load();
    EXPECT_TRUE(fresh.isVisible());
    EXPECT_TRUE(fresh.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_FALSE(fresh.windowFlags().testFlag(Qt::Tool)) << "needs its taskbar button";
    EXPECT_EQ(fresh.size(), QSize(549, 550));
    EXPECT_TRUE(fresh.findChild<QTimer*>("tmrRecord")->isActive());
    EXPECT_FALSE(fresh.findChild<QTimer*>("Timer1")->isActive());
    EXPECT_EQ(fresh.findChild<QTimer*>("Timer1")->timerType(), Qt::PreciseTimer);
}

// A real click on each zone reaches the zone handler with that zone's index;
// a click on the body outside the zones reaches the window's own handler.
TEST_F(MainWindow, ClicksReachTheZoneOrTheBody)
{
    for (int zone = 0; zone < 5; ++zone) {
        SCOPED_TRACE(zone);
        QSignalSpy spy(window->findChild<PlayZone*>(QStringLiteral("PlayButton%1").arg(zone)),
                       &PlayZone::MouseDown);
        click(zoneCentre(zone), Qt::MiddleButton);
        ASSERT_EQ(spy.count(), 1);
        EXPECT_EQ(spy.at(0).at(0).toInt(), zone);
    }
    // The options that zone 1 opened are closed: the toy takes the mouse again.
    dialogs.options.closed();
    settle();
    optionsOpened = 0;
    takePlayed();
    click(kBodyPoint, Qt::RightButton);
    EXPECT_EQ(optionsOpened, 1);
    EXPECT_TRUE(takePlayed().isEmpty());
}

// Dragging moves the window by exactly the pointer's displacement, also for a
// long jump, so the grabbed point stays under the pointer; the right button
// never drags and moving without a button does nothing.
TEST_F(MainWindow, DragKeepsTheGrabbedPointUnderThePointer)
{
    QWindow* handle = window->windowHandle();
    const QPoint start = window->pos();
    const QPoint grabbed = handle->mapToGlobal(kBodyPoint);
    auto moveTo = [&](QPoint global) { QTest::mouseMove(handle, global - window->pos()); };

    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
        SCOPED_TRACE(int(button));
        window->move(start);
        QTest::mousePress(handle, button, {}, kBodyPoint);
        for (const QPoint step :
             {QPoint(20, 0), QPoint(50, 30), QPoint(230, 140), QPoint(-10, 5)}) {
            moveTo(grabbed + step);
            EXPECT_EQ(window->pos(), start + step);
        }
        QTest::mouseRelease(handle, button, {}, grabbed + QPoint(-10, 5) - window->pos());
        moveTo(grabbed + QPoint(100, 100));
        EXPECT_EQ(window->pos(), start + QPoint(-10, 5));
    }

    window->move(start);
    QTest::mousePress(handle, Qt::RightButton, {}, kBodyPoint);
    moveTo(grabbed + QPoint(40, 40));
    QTest::mouseRelease(handle, Qt::RightButton, {}, kBodyPoint);
    EXPECT_EQ(window->pos(), start);
}

// The handler's own arithmetic is in twips: 300 twips of pointer travel move
// the window 20 pixels.
TEST_F(MainWindow, FormMouseMoveWorksInTwips)
{
    const QPoint start = window->pos();
    window->Form_MouseDown(1, 0, 600, 900);
    window->Form_MouseMove(1, 0, 900, 900);
    EXPECT_EQ(window->pos(), start + QPoint(20, 0));
    window->Form_MouseUp(4, 0, 0, 0);
    window->Form_MouseMove(1, 0, 1500, 1500);
    EXPECT_EQ(window->pos(), start + QPoint(20, 0));
}

// While a sound plays the toy is not blocked: it moves with a drag and
// paints, and a zone press made meanwhile waits for the sound's end.
TEST_F(MainWindow, TheToyMovesAndPaintsWhileASoundPlays)
{
    output.holdEnds = true;
    window->PlayButton_MouseDown(3, 0, 0, 0, 0); // the mode, then "SOLO"
    QCoreApplication::processEvents();
    ASSERT_EQ(output.played, QStringList{"VOICEMODUS"});
    const QPoint before = window->pos();
    window->Form_MouseDown(1, 0, 600, 900);
    window->Form_MouseMove(1, 0, 900, 1200);
    window->Form_MouseUp(1, 0, 900, 1200);
    EXPECT_EQ(window->pos(), before + QPoint(20, 20));
    int paints = 0;
    struct PaintCounter : QObject {
        int& count;
        explicit PaintCounter(int& c) : count(c) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            count += e->type() == QEvent::Paint;
            return false;
        }
    } counter(paints);
    window->installEventFilter(&counter);
    window->update();
    QTest::qWait(50);
    EXPECT_GT(paints, 0);

    window->PlayButton_MouseDown(0, 0, 0, 0, 0);
    EXPECT_EQ(takePlayed(), QStringList{"VOICEMODUS"});
    output.holdEnds = false;
    output.endHeld();
    settle();
    EXPECT_EQ(takePlayed(), (QStringList{"SOLO", "SOUNDMODUS"}));
}

// The window manager's close (Alt+F4) takes the game's way out, with its
// farewell, rather than closing the toy and leaving the beat and the lock.
TEST_F(MainWindow, CloseTakesTheWayOut)
{
    EXPECT_FALSE(window->close());
    settle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(takePlayed(), QStringList{"GAMEOVER"});
    EXPECT_EQ(dialogs.programEnds, 1);
}
