#include "GameFixture.h"
#include "startup/Globals.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>

namespace {

QStringList names(std::initializer_list<const char*> list)
{
    QStringList out;
    for (const char* n : list)
        out << QString::fromLatin1(n);
    return out;
}

} // namespace

using GamePlay = GameFixture;

// The five zones while no game runs are the toy's menu; a real click on each
// zone must reach the handler with that zone's index.
TEST_F(GamePlay, IdleMenuZonesDoTheirMenuItemsWhenClicked)
{
    struct Row {
        int zone;
        qint16 modeBefore;
        QStringList sounds;
        qint16 modeAfter;
        int options;
        int tables;
    };
    const QStringList start = QStringList{"RHYSTART1", "CMDVM_DREHEN", kRhythm};
    const Row rows[] = {
        {0, 0, names({"SOUNDMODUS"}), 1, 0, 0},
        {0, 1, names({"VOICEMODUS"}), 0, 0, 0},
        {1, 0, {}, 0, 1, 0},
        {2, 0, {}, 0, 0, 1},
        {3, 0, names({"VOICEMODUS", "SOLO"}), 0, 0, 0},
        {3, 1, names({"SOUNDMODUS", "SOLO"}), 1, 0, 0},
        {4, 0, start, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.zone);
        setSoundMode(row.modeBefore);
        optionsOpened = tablesShown = 0;
        queueCommands({3});
        // Any button presses a zone: the right one too.
        click(zoneCentre(row.zone), row.modeBefore == 1 ? Qt::RightButton : Qt::LeftButton);
        EXPECT_EQ(takePlayed(), row.sounds);
        EXPECT_EQ(game().SoundMode(), row.modeAfter);
        EXPECT_EQ(optionsOpened, row.options);
        EXPECT_EQ(tablesShown, row.tables);
        EXPECT_EQ(game().GameIdle(), row.zone != 4);
        draws.clear();
    }
}

// A whole game: right answers score one each and lead to the next command; a
// wrong zone ends the game with the error sound, the closing beat and a
// wrong-zone remark in the current language, and the score is handed to the
// high-score step and then cleared.
TEST_F(GamePlay, WrongZoneEndsTheGameWithARemarkInTheCurrentLanguage)
{
    struct Row {
        qint16 language;
        int remark;
        const char* command3;
        const char* command5;
        const char* command2;
        const char* expectedRemark;
    };
    const Row rows[] = {
        {0, 1, "CMDVM_DREHEN", "CMDVM_KLOPFEN", "CMDVM_ROLLEN", "SONICHT"},
        {0, 2, "CMDVM_DREHEN", "CMDVM_KLOPFEN", "CMDVM_ROLLEN", "MACHSBESSER"},
        {1, 1, "TWIST-IT", "ZOK-IT", "SPIN-IT", "NOTGOOD"},
        {1, 2, "TWIST-IT", "ZOK-IT", "SPIN-IT", "DOITBETTER"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expectedRemark);
        Commands::Language = row.language;
        highScoreSteps.clear();
        queueCommands({3, 5, 2});
        queueRemark(row.remark, 2);

        press(4);
        EXPECT_FALSE(game().GameIdle());
        EXPECT_TRUE(window->Timer1->isActive());
        press(2);
        press(4);
        EXPECT_EQ(game().Score(), 2);
        press(0); // command 2 wants zone 1

        const QStringList expected{"RHYSTART1",  row.command3,      kRhythm, "SNDDREHEN",
                                   "RHYRHYTHM2", row.command5,      kRhythm, "SNDKLOPFEN",
                                   "RHYRHYTHM2", row.command2,      kRhythm, "FEHLER",
                                   "ENDBEAT1",   row.expectedRemark};
        EXPECT_EQ(takePlayed(), expected);
        EXPECT_EQ(highScoreSteps, QList<qint16>{2});
        EXPECT_EQ(game().Score(), 0);
        EXPECT_TRUE(game().GameIdle());
        EXPECT_FALSE(game().GameOverBusy());
        EXPECT_FALSE(window->Timer1->isActive());
    }
}

// A tick of the answer timer before any answer ends the game with one of the
// three time-out remarks.
TEST_F(GamePlay, TimeOutEndsTheGameWithATimeOutRemark)
{
    const struct {
        qint16 language;
        int remark;
        const char* expected;
    } rows[] = {{0, 1, "OHMANN"}, {0, 2, "OHNEIN"}, {0, 3, "SORRY"},
                {1, 1, "OHBOY"},  {1, 2, "AH-NO"},  {1, 3, "EN_SORRY"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        Commands::Language = row.language;
        highScoreSteps.clear();
        startWith(1);
        queueCommands({2});
        press(0);
        takePlayed();
        queueRemark(row.remark, 3);
        tick();
        EXPECT_EQ(takePlayed(), (QStringList{"FEHLER", "ENDBEAT1", row.expected}));
        EXPECT_EQ(highScoreSteps, QList<qint16>{1});
        EXPECT_EQ(game().Score(), 0);
        EXPECT_TRUE(game().GameIdle());
        EXPECT_FALSE(window->Timer1->isActive());
    }
}

// The timer itself is wired: left alone, a game ends by time-out.
TEST_F(GamePlay, UnansweredCommandTimesOut)
{
    window->Timer1->setInterval(30);
    startWith(4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return game().GameIdle(); }, 5000));
    EXPECT_EQ(takePlayed().value(0), "FEHLER");
}

// A press made while a later command is still sounding is not judged: the
// player has to press again once the rhythm runs.
TEST_F(GamePlay, PressWhileCommandSoundsIsDiscarded)
{
    startWith(1);
    queueCommands({2});
    output.whilePlaying("CMDVM_ROLLEN", 1, [&] { postClick(zoneCentre(1)); });
    press(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(takePlayed(), (QStringList{"SNDTIPPEN", "RHYRHYTHM2", "CMDVM_ROLLEN", kRhythm}));
    EXPECT_EQ(game().Score(), 1);
    EXPECT_FALSE(game().AnswerLocked());
    EXPECT_TRUE(window->Timer1->isActive());

    click(zoneCentre(1));
    EXPECT_EQ(game().Score(), 2);
}

// A tick that falls due while an answer is being accepted or a command is
// being given never ends the game.
TEST_F(GamePlay, TimerTickWhileAnswerLockedIsIgnored)
{
    startWith(1);
    queueCommands({2});
    output.whilePlaying("SNDTIPPEN", 1, [&] { window->Timer1_Timer(); });
    output.whilePlaying("CMDVM_ROLLEN", 1, [&] { window->Timer1_Timer(); });
    press(0);
    EXPECT_EQ(takePlayed(), (QStringList{"SNDTIPPEN", "RHYRHYTHM2", "CMDVM_ROLLEN", kRhythm}));
    EXPECT_FALSE(game().GameIdle());
    EXPECT_EQ(game().CurrentCommand(), 2);
    EXPECT_TRUE(window->Timer1->isActive());
}

// In sound mode the commands are the same sounds in both languages.
TEST_F(GamePlay, SoundModeUsesTheSameCommandSoundsInBothLanguages)
{
    const char* const expected[] = {"CMDSM_TIPPEN", "CMDSM_ROLLEN", "CMDSM_DREHEN", "CMDSM_ZIEHEN",
                                    "CMDSM_KLOPFEN"};
    for (const qint16 language : {qint16(0), qint16(1), qint16(-1)}) {
        Commands::Language = language;
        for (int c = 1; c <= 5; ++c) {
            SCOPED_TRACE(c);
            loadWindow();
            setSoundMode(1);
            queueCommands({c});
            press(4);
            EXPECT_EQ(takePlayed(), (QStringList{"RHYSTART1", expected[c - 1], kRhythm}));
        }
    }
}

// Any mouse button answers; the score stays at its ceiling and the game goes on.
TEST_F(GamePlay, ScoreStaysAtItsCeiling)
{
    startWith(5);
    for (int i = 0; i < 32767; ++i) {
        queueCommands({5});
        press(4);
    }
    ASSERT_EQ(game().Score(), 32767);
    output.played.clear();
    queueCommands({5});
    window->PlayButton_MouseDown(4, 2, 0, 0, 0);
    settle();
    EXPECT_EQ(game().Score(), 32767);
    EXPECT_EQ(takePlayed(), (QStringList{"SNDKLOPFEN", "RHYRHYTHM2", "CMDVM_KLOPFEN", kRhythm}));
    EXPECT_FALSE(game().GameIdle());
}

// A timer with interval 0 is off: the player gets no time-out, however long.
TEST_F(GamePlay, IntervalZeroNeverTimesOut)
{
    window->Timer1->setInterval(0);
    startWith(2);
    EXPECT_FALSE(window->Timer1->isActive());
    QTest::qWait(100);
    EXPECT_FALSE(game().GameIdle());

    // Set to 0 while counting: the same.
    window->Timer1->setInterval(800);
    press(1);
    window->Timer1->setInterval(0);
    QTest::qWait(100);
    EXPECT_FALSE(game().GameIdle());
    EXPECT_TRUE(takePlayed().filter("FEHLER").isEmpty());
}

// A break-off stops the game silently, skips the high-score step and keeps
// the score; the next game counts on from it.
TEST_F(GamePlay, BreakOffKeepsTheScoreWithoutASound)
{
    enum class Way { Escape, RightButton };
    for (const Way way : {Way::Escape, Way::RightButton}) {
        SCOPED_TRACE(int(way));
        loadWindow();
        optionsOpened = 0;
        startWith(3);
        queueCommands({4});
        press(2);
        takePlayed();
        window->Form_MouseDown(1, 0, 0, 0);

        if (way == Way::Escape) {
            keyTap(Qt::Key_Escape);
            poll();
        } else {
            click(kBodyPoint, Qt::RightButton);
        }
        EXPECT_EQ(optionsOpened, 1);
        EXPECT_TRUE(takePlayed().isEmpty());
        EXPECT_EQ(game().Score(), 1);
        EXPECT_TRUE(game().GameIdle());
        EXPECT_FALSE(window->dragging());
        EXPECT_FALSE(window->Timer1->isActive());
        EXPECT_TRUE(highScoreSteps.isEmpty());

        startWith(1);
        queueCommands({1});
        press(0);
        EXPECT_EQ(game().Score(), 2);
    }
}

// A break-off handled while a command is being given ends the game there: the
// time-out is not restarted behind the player's back, so no error sound and
// no high-score step follow, and the score is kept.
TEST_F(GamePlay, BreakOffWhileACommandIsGivenEndsTheGameQuietly)
{
    enum class When { FirstCommand, LaterCommand };
    for (const When when : {When::FirstCommand, When::LaterCommand}) {
        SCOPED_TRACE(int(when));
        loadWindow();
        optionsOpened = 0;
        window->Timer1->setInterval(200);
        const auto rightClickOnBody = [&] { postClick(kBodyPoint, Qt::RightButton); };
        if (when == When::FirstCommand) {
            queueCommands({3});
            output.whilePlaying("CMDVM_DREHEN", 1, rightClickOnBody);
            press(4);
        } else {
            startWith(2);
            queueCommands({3});
            output.whilePlaying("CMDVM_DREHEN", 1, rightClickOnBody);
            press(1);
        }
        EXPECT_EQ(optionsOpened, 1);
        EXPECT_TRUE(game().GameIdle());
        EXPECT_FALSE(window->Timer1->isActive());
        QTest::qWait(400);
        EXPECT_TRUE(takePlayed().filter("FEHLER").isEmpty());
        EXPECT_TRUE(highScoreSteps.isEmpty());
        EXPECT_EQ(game().Score(), when == When::LaterCommand ? 1 : 0);
    }
}

// A game started while the high-score step of the last one is still open (the
// table shows, and keys act there) counts from 0: the score was handed over,
// not kept for the next game to count on from and write again.
TEST_F(GamePlay, GameStartedDuringTheHighScoreStepCountsFromZero)
{
    queueCommands({3, 1});
    queueRemark(1, 2);
    dialogs.onHighScoreStep = [&](qint16) {
        dialogs.onHighScoreStep = nullptr;
        // The centre key, pressed while the step's windows are up.
        queueCommands({2, 4});
        queueRemark(1, 2);
        window->PlayButton_MouseDown(4, 0, 0, 0, 0);
    };
    press(4);
    press(2); // right
    press(3); // command 1 wants zone 0: game over, and the next game starts
    ASSERT_EQ(highScoreSteps, QList<qint16>{1});
    ASSERT_FALSE(game().GameIdle());
    press(1); // right
    press(0); // command 4 wants zone 3
    EXPECT_EQ(highScoreSteps, (QList<qint16>{1, 1}));
    EXPECT_EQ(game().Score(), 0);
}
