#include "GameFixture.h"
#include "startup/Globals.h"
#include "support/XProbe.h"

#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

namespace {

// Which idle-menu zone a press made, told by what it did; -1 for none.
int zoneFromEffect(const QStringList& played, int options, int tables)
{
    if (options > 0)
        return 1;
    if (tables > 0)
        return 2;
    if (played.contains("RHYSTART1"))
        return 4;
    if (played.contains("SOLO"))
        return 3;
    if (played == QStringList{"SOUNDMODUS"} || played == QStringList{"VOICEMODUS"})
        return 0;
    return played.isEmpty() ? -1 : 99;
}

// Sets the server's keyboard layout as a player's desktop does; false when
// the layout tool is missing or the server refused.
bool setLayout(const QStringList& arguments)
{
    if (QStandardPaths::findExecutable("setxkbmap").isEmpty())
        return false;
    return QProcess::execute("setxkbmap", arguments) == 0;
}

// Puts the plain US layout back for the tests that follow.
struct UsLayoutAfter {
    ~UsLayoutAfter()
    {
        setLayout({"us"});
        XProbe::lockGroup(0);
    }
};

} // namespace

using Keyboard = GameFixture;

// Each language polls its own letters; a tap between two ticks acts once.
TEST_F(Keyboard, KeyTableOfBothLanguages)
{
    const struct {
        qint16 language;
        Qt::Key key;
        int zone;
    } rows[] = {
        {0, Qt::Key_T, 0},  {0, Qt::Key_R, 1},     {0, Qt::Key_D, 2},  {0, Qt::Key_Z, 3},
        {0, Qt::Key_K, 4},  {0, Qt::Key_Space, 4}, {0, Qt::Key_F, -1}, {0, Qt::Key_S, -1},
        {0, Qt::Key_P, -1}, {0, Qt::Key_B, -1},    {1, Qt::Key_F, 0},  {1, Qt::Key_S, 1},
        {1, Qt::Key_T, 2},  {1, Qt::Key_P, 3},     {1, Qt::Key_B, 4},  {1, Qt::Key_Space, 4},
        {1, Qt::Key_R, -1}, {1, Qt::Key_D, -1},    {1, Qt::Key_Z, -1}, {1, Qt::Key_K, -1},
        {2, Qt::Key_T, 2},  {-1, Qt::Key_F, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(QString("language %1 key %2")
                         .arg(row.language)
                         .arg(QKeySequence(row.key).toString())
                         .toStdString());
        // Each row starts with untouched keys.
        loadWindow(row.language);
        optionsOpened = tablesShown = 0;
        keyTap(row.key);
        poll();
        EXPECT_EQ(zoneFromEffect(takePlayed(), optionsOpened, tablesShown), row.zone);
        // The tap is used up: the next tick does nothing.
        optionsOpened = tablesShown = 0;
        poll();
        EXPECT_EQ(zoneFromEffect(takePlayed(), optionsOpened, tablesShown), -1);
    }
}

// A held key acts on every tick, and its release ends that even when a modal
// window opened while it was held blocks the window that has the keyboard:
// Qt drops the release there, the X server does not. Real key events.
TEST_F(Keyboard, HeldKeyActsEveryTickAndItsReleaseIsNeverLost)
{
    if (!XProbe::canSendInput())
        GTEST_SKIP() << "needs an X server with XTest";
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    // The press acts at once, then on every tick while the key is down.
    XProbe::key("t", true);
    QTest::qWait(100);
    poll();
    poll();
    EXPECT_EQ(takePlayed(), (QStringList{"SOUNDMODUS", "VOICEMODUS", "SOUNDMODUS"}));

    QDialog blocker(window.get());
    blocker.setModal(true);
    blocker.show();
    blocker.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&blocker));
    XProbe::key("t", false);
    QTest::qWait(100);
    poll();
    EXPECT_TRUE(takePlayed().isEmpty()) << "the key stuck down behind the modal window";
}

// Keys typed in another window of the program count, a dialog included.
TEST_F(Keyboard, KeysTypedInADialogReachTheGame)
{
    QMessageBox dialog(window.get());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(dialog.windowHandle(), Qt::Key_D);
    poll();
    EXPECT_EQ(tablesShown, 1);
}

// H during a game stops the time-out and shows the table; the game goes on
// under it and the next command is timed again.
TEST_F(Keyboard, TableKeyDuringAGameStopsTheTimeOut)
{
    startWith(2);
    ASSERT_TRUE(timer("Timer1").isActive());
    keyTap(Qt::Key_H);
    poll();
    EXPECT_EQ(tablesShown, 1);
    EXPECT_FALSE(timer("Timer1").isActive());

    queueCommands({3});
    keyTap(Qt::Key_R);
    poll();
    EXPECT_EQ(takePlayed(), (QStringList{"SNDROLLEN", "RHYRHYTHM2", "CMDVM_DREHEN", kRhythm}));
    EXPECT_TRUE(timer("Timer1").isActive());
}

// Letters typed into the high-score name prompt are read and dropped: "Karl"
// must neither start a game nor switch the mode, not even once the prompt has
// closed. The prompt here opens from a game over that a key press caused,
// while the poll goes on ticking.
TEST_F(Keyboard, KeysTypedInTheNamePromptDoNothing)
{
    for (auto& place : scores.table)
        place.points = -1; // a score of 0 gets in
    timer("tmrRecord").start();
    startWith(1);
    queueRemark(1, 2);
    keyTap(Qt::Key_D); // wrong: command 1 wants T
    ASSERT_EQ(dialogs.namesAsked, 1);
    for (const char c : QByteArray("Karl Tom"))
        QTest::keyClick(window->windowHandle(), c);
    int ticks = 0;
    const auto counting =
        QObject::connect(&timer("tmrRecord"), &QTimer::timeout, window.get(), [&] { ++ticks; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
    QObject::disconnect(counting);
    dialogs.nameEntered(QStringLiteral("Karl"));
    QTest::qWait(150);
    settle();
    EXPECT_EQ(takePlayed(), (QStringList{"FEHLER", "ENDBEAT1", "SONICHT"}));
    EXPECT_EQ(scores.table[0].name, "Karl                ");
    EXPECT_EQ(tablesShown, 1) << "the table after the new entry";
    EXPECT_EQ(optionsOpened, 0);
}

// A key means the letter that the layout in force gives it when it is
// pressed, also after the layout or the group changed while the game runs;
// a layout without Latin letters plays by the keys' positions. Real key
// events between real layout changes.
TEST_F(Keyboard, KeysFollowTheLayoutInForce)
{
    if (!XProbe::canSendInput() || !setLayout({"us"}))
        GTEST_SKIP() << "needs an X server with XTest and setxkbmap";
    const UsLayoutAfter restore;
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    // The keys by where they sit on a US keyboard.
    const unsigned z = XProbe::keyCodeOf("z");
    const unsigned y = XProbe::keyCodeOf("y");
    const unsigned t = XProbe::keyCodeOf("t");
    const unsigned d = XProbe::keyCodeOf("d");
    const unsigned h = XProbe::keyCodeOf("h");
    ASSERT_TRUE(z && y && t && d && h);

    const struct {
        QStringList layout;
        int group;
        unsigned code;
        int zone;
    } rows[] = {
        {{"us"}, 0, z, 3},
        {{"us"}, 0, y, -1},
        {{"de"}, 0, z, -1},
        {{"de"}, 0, y, 3},
        {{"de,us"}, 1, z, 3},
        {{"de,us"}, 1, y, -1},
        {{"de,us"}, 0, y, 3},
        {{"us", "-variant", "dvorak"}, 0, d, -1},
        {{"us", "-variant", "dvorak"}, 0, h, 2},
        {{"ru"}, 0, t, 0},
        {{"us,ru"}, 1, t, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(
            (row.layout.join(' ') + QString(" group %1 key code %2").arg(row.group).arg(row.code))
                .toStdString());
        ASSERT_TRUE(setLayout(row.layout));
        XProbe::lockGroup(row.group);
        optionsOpened = tablesShown = 0;
        XProbe::keyCode(row.code, true);
        XProbe::keyCode(row.code, false);
        QTest::qWait(100);
        poll();
        EXPECT_EQ(zoneFromEffect(takePlayed(), optionsOpened, tablesShown), row.zone);
    }
}

// A key held while the layout or the group changes acts while it is held,
// and its release still ends it: nothing sticks.
TEST_F(Keyboard, ReleaseIsNeverLostAcrossALayoutChange)
{
    if (!XProbe::canSendInput() || !setLayout({"us"}))
        GTEST_SKIP() << "needs an X server with XTest and setxkbmap";
    const UsLayoutAfter restore;
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    const unsigned z = XProbe::keyCodeOf("z");
    ASSERT_NE(z, 0u);

    const struct {
        QStringList before;
        int groupBefore;
        QStringList after; // empty: only the group changes
        int groupAfter;
    } rows[] = {
        {{"us"}, 0, {"de"}, 0},
        {{"de,us"}, 1, {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.before.join(' ').toStdString());
        ASSERT_TRUE(setLayout(row.before));
        XProbe::lockGroup(row.groupBefore);
        // The game started under the layout before the change.
        loadWindow();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        XProbe::keyCode(z, true);
        QTest::qWait(100);
        poll();
        EXPECT_EQ(zoneFromEffect(takePlayed(), optionsOpened, tablesShown), 3);

        if (!row.after.isEmpty()) {
            ASSERT_TRUE(setLayout(row.after));
        }
        XProbe::lockGroup(row.groupAfter);
        QTest::qWait(100);
        poll();
        EXPECT_EQ(zoneFromEffect(takePlayed(), optionsOpened, tablesShown), 3)
            << "a held key stopped acting";

        XProbe::keyCode(z, false);
        QTest::qWait(100);
        poll();
        poll();
        EXPECT_TRUE(takePlayed().isEmpty()) << "the key stuck down after the change";
    }
}
