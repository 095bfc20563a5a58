#include "game/ToyGame.h"

#include "game/GameDialogs.h"
#include "game/GameTables.h"
#include "sound/ResWave.h"
#include "startup/Globals.h"
#include "startup/Settings.h"

#include <QCoreApplication>
#include <limits>
#include <utility>

namespace {

void letEventsRun()
{
    QCoreApplication::processEvents();
}

} // namespace

ToyGame::ToyGame(ResWave::SoundOutput& sound, Game::RandomSource random, GameDialogs& dialogs,
                 QObject* parent)
    : QObject(parent), m_sound(sound), m_random(std::move(random)), m_dialogs(dialogs)
{
    // Until start-up applies the stored setting, the answer time is its default.
    m_timer1.setInterval(Commands::kTimerSetting.defaultValue);
    m_timer1.setTimerType(Qt::PreciseTimer);
    connect(&m_timer1, &QTimer::timeout, this, &ToyGame::Timer1_Timer);
}

void ToyGame::load()
{
    m_gameIdle = true;
}

void ToyGame::play(const QString& name)
{
    ResWave::PlayWaveResource(m_sound, name);
}

void ToyGame::play(const char* name)
{
    play(QString::fromLatin1(name));
}

void ToyGame::enableTimer1()
{
    // A window timer with interval 0 does not run; a QTimer would fire
    // continuously.
    if (m_timer1.interval() > 0)
        m_timer1.start();
}

void ToyGame::PlayButton_MouseDown(int Index)
{
    if (m_gameOverBusy)
        return;
    if (m_gameIdle) {
        switch (Index) {
        case 0:
            play(m_soundMode == 0 ? Sounds::kSoundMode : Sounds::kVoiceMode);
            m_soundMode = m_soundMode == 0 ? 1 : 0;
            return;
        case 1:
            m_timer1.stop();
            m_dialogs.openOptions();
            return;
        case 2:
            m_timer1.stop();
            m_dialogs.showHighScoreTable();
            return;
        case 3:
            play(m_soundMode == 1 ? Sounds::kSoundMode : Sounds::kVoiceMode);
            play(Sounds::kSolo);
            return;
        case 4:
            startGame();
            return;
        default:
            return;
        }
    }
    if (m_answerLocked)
        return;
    judge(Index);
}

void ToyGame::startGame()
{
    m_answerLocked = true;
    play(Sounds::kStart);
    const quint32 breakOffs = m_breakOffs;
    NextCommand();
    // Broken off while the first command was given: the game is over already.
    if (m_breakOffs == breakOffs)
        m_gameIdle = false;
}

void ToyGame::NextCommand()
{
    // A break-off (Escape, right button) handled while events run ends the
    // game there; going on would restart the time-out and end the game the
    // player left with an error and the high-score step.
    const quint32 breakOffs = m_breakOffs;
    letEventsRun();
    if (m_breakOffs != breakOffs)
        return;
    const int c = Game::drawOneTo(Game::kZoneCount, m_random);
    m_currentCommand = qint16(c);
    play(Game::commandSound(c, m_soundMode, Commands::Language));
    ResWave::PlayWaveFile(m_sound, Commands::TempDir + Commands::kRhythmFileName);
    letEventsRun();
    if (m_breakOffs != breakOffs)
        return;
    m_answerLocked = false;
    // Timer1 is stopped here, so the whole interval counts from the rhythm's start.
    enableTimer1();
}

void ToyGame::judge(int index)
{
    m_timer1.stop();
    m_answerLocked = true;
    if (index + 1 != m_currentCommand) {
        gameOver(Game::GameEnd::WrongZone);
        return;
    }
    // The score stops at its ceiling instead of wrapping to a negative count.
    if (m_score < std::numeric_limits<qint16>::max())
        ++m_score;
    play(Game::answerSound(index));
    play(Sounds::kNext);
    NextCommand();
}

void ToyGame::Timer1_Timer()
{
    if (m_timer1.interval() <= 0) {
        // The interval was set to 0 while running: such a timer is off.
        m_timer1.stop();
        return;
    }
    if (m_answerLocked)
        return;
    m_timer1.stop();
    gameOver(Game::GameEnd::TimeOut);
}

void ToyGame::gameOver(Game::GameEnd cause)
{
    m_gameOverBusy = true;
    play(Sounds::kError);
    letEventsRun();
    play(Sounds::kEndBeat);
    letEventsRun();
    const int n = int(Game::remarks(cause).german.size());
    const int k = Game::drawOneTo(n, m_random);
    play(Game::remarkSound(cause, k, Commands::Language));
    m_gameIdle = true;
    m_gameOverBusy = false;
    // The step gets the score and the next game starts from 0, even one
    // started while the step still shows its table.
    m_dialogs.checkHighScore(std::exchange(m_score, qint16(0)));
}

void ToyGame::showTable()
{
    m_timer1.stop();
    m_dialogs.showHighScoreTable();
}

void ToyGame::breakOff()
{
    ++m_breakOffs;
    m_timer1.stop();
    m_gameIdle = true;
    m_dialogs.openOptions();
}
