#pragma once

#include "game/Rnd.h"
#include "game/StepQueue.h"

#include <QObject>
#include <QTimer>

class GameDialogs;
namespace ResWave {
class SoundOutput;
}
namespace Game {
enum class GameEnd;
}

// The game without its window: the idle menu, the command cycle, judging,
// the score and the game over. Zone presses come in from the window's mouse
// handlers and its keyboard poll alike. Every sound is heard to its end
// before the game goes on, without blocking: the game's steps wait in a
// queue, and a press that comes while a sound plays is handled where the
// game next lets events run.
class ToyGame : public QObject {
    Q_OBJECT

  public:
    ToyGame(ResWave::SoundOutput& sound, Game::RandomSource random, GameDialogs& dialogs,
            QObject* parent = nullptr);

    // The game is idle once the toy stands on the screen.
    void load();

    // Index is the zone, 0 to 4.
    void PlayButton_MouseDown(int Index);
    void NextCommand();
    void Timer1_Timer();
    // H: the pending command waits without a time limit while the table shows.
    void showTable();
    // Escape or the right button: the game stops silently and the options open.
    void breakOff();
    // The window manager's close (Alt+F4): the way out, as the options give it.
    void leaveProgram();

    // The answer time-out; the options dialog changes its interval.
    QTimer& Timer1() { return m_timer1; }
    // Where the window's own inputs (the keyboard poll) queue behind the game.
    Game::StepQueue& steps() { return m_steps; }
    // True while a sound of the game plays or its steps are queued.
    bool busy() const { return m_steps.busy(); }
    bool namePromptOpen() const;

    bool GameIdle() const { return m_gameIdle; }
    bool AnswerLocked() const { return m_answerLocked; }
    bool GameOverBusy() const { return m_gameOverBusy; }
    qint16 CurrentCommand() const { return m_currentCommand; }
    qint16 SoundMode() const { return m_soundMode; }
    qint16 Score() const { return m_score; }

  private:
    using Kind = Game::StepQueue::Kind;

    void play(const QString& name, Kind kind = Kind::Plain);
    void play(const char* name, Kind kind = Kind::Plain);
    void enableTimer1();
    void zonePress(int index);
    void startGame();
    void judge(int index);
    void timeOut();
    void gameOver(Game::GameEnd cause);

    ResWave::SoundOutput& m_sound;
    Game::RandomSource m_random;
    GameDialogs& m_dialogs;
    QTimer m_timer1;
    Game::StepQueue m_steps;

    bool m_gameIdle = false;
    bool m_answerLocked = false;
    bool m_gameOverBusy = false;
    qint16 m_currentCommand = 0;
    qint16 m_soundMode = 0; // 0 voice mode, 1 sound mode; not stored
    qint16 m_score = 0;
};
