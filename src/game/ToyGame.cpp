#include "game/ToyGame.h"

#include "game/GameDialogs.h"
#include "game/GameTables.h"
#include "sound/ResWave.h"
#include "startup/Globals.h"
#include "startup/Settings.h"

#include <limits>
#include <utility>

using Game::StepQueue;

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

bool ToyGame::namePromptOpen() const
{
    return m_dialogs.namePromptOpen();
}

void ToyGame::play(const QString& name, Kind kind)
{
    m_steps.wait(
        [this, name](StepQueue::Resume done) {
            ResWave::PlayWaveResource(m_sound, name, std::move(done));
        },
        kind);
}

void ToyGame::play(const char* name, Kind kind)
{
    play(QString::fromLatin1(name), kind);
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
    m_steps.deliver([this, Index] { zonePress(Index); });
}

void ToyGame::zonePress(int index)
{
    if (m_gameOverBusy)
        return;
    if (m_gameIdle) {
        switch (index) {
        case 0:
            // The sound names the mode that is now in force.
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
    judge(index);
}

void ToyGame::startGame()
{
    m_answerLocked = true;
    play(Sounds::kStart);
    NextCommand();
    // Dropped with the cycle when the game is broken off during its first command.
    m_steps.run([this] { m_gameIdle = false; }, Kind::Cycle);
}

void ToyGame::NextCommand()
{
    // Every step from here belongs to the cycle: a break-off (Escape, right
    // button) handled where events run ends the game there; going on would
    // restart the time-out and end the game the player left with an error and
    // the high-score step.
    m_steps.letEventsRun(Kind::Cycle);
    m_steps.run([this] { m_currentCommand = qint16(Game::drawOneTo(Game::kZoneCount, m_random)); },
                Kind::Cycle);
    m_steps.wait(
        [this](StepQueue::Resume done) {
            ResWave::PlayWaveResource(
                m_sound, Game::commandSound(m_currentCommand, m_soundMode, Commands::Language),
                std::move(done));
        },
        Kind::Cycle);
    m_steps.run(
        [this] { ResWave::PlayWaveFile(m_sound, Commands::TempDir + Commands::kRhythmFileName); },
        Kind::Cycle);
    m_steps.letEventsRun(Kind::Cycle);
    m_steps.run(
        [this] {
            m_answerLocked = false;
            // Timer1 is stopped here, so the whole interval counts from the rhythm's start.
            enableTimer1();
        },
        Kind::Cycle);
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
    m_steps.deliver([this] { timeOut(); }, StepQueue::Source::AnswerTimer);
}

void ToyGame::timeOut()
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
    m_steps.letEventsRun();
    play(Sounds::kEndBeat);
    m_steps.letEventsRun();
    m_steps.run([this, cause] {
        const int n = int(Game::remarks(cause).german.size());
        play(Game::remarkSound(cause, Game::drawOneTo(n, m_random), Commands::Language));
    });
    m_steps.run([this] {
        m_gameIdle = true;
        m_gameOverBusy = false;
        // The step gets the score and the next game starts from 0, even one
        // started while the step still shows its table.
        m_dialogs.checkHighScore(std::exchange(m_score, qint16(0)));
    });
}

void ToyGame::showTable()
{
    m_steps.deliver([this] {
        m_timer1.stop();
        m_dialogs.showHighScoreTable();
    });
}

void ToyGame::breakOff()
{
    m_steps.deliver([this] {
        m_steps.dropCycle();
        m_timer1.stop();
        m_gameIdle = true;
        m_dialogs.openOptions();
    });
}

void ToyGame::leaveProgram()
{
    m_steps.deliver([this] { m_dialogs.leaveProgram(); });
}
