#pragma once

#include "game/GameEffects.h"
#include "game/GameTables.h"
#include "game/KeyBits.h"
#include "game/Rnd.h"
#include "game/ScoreFile.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// The game without its window, as a state machine: the idle menu, the
// command cycle, judging, the score, the game over, the high-score step and
// the way out. It takes the player's inputs and the ends of what it started
// (a sound heard, a dialog closed) and answers each with the effects the
// window is to carry out. It knows no widget, no timer and no clock.
//
// Where the toy blocked, it holds: a sound holds the game, and what the
// player does meanwhile waits until the game next lets events run (or has
// nothing left to do); a dialog holds the step that opened it until it is
// closed, while the timers and the keys go on acting on top of it. The held
// steps form a stack, since each of those inputs may itself play, open a
// dialog and hold.
class ToyGame {
  public:
    enum class State {
        Idle,
        Starting,
        GivingCommand,
        WaitingForAnswer,
        AnswerAccepted,
        GameOver,
        HeldByDialog,
        Leaving,
    };

    ToyGame(Game::RandomSource random, Game::ScoreFile& scores);

    // The toy stands on the screen: the menu is up.
    Game::Effects load();
    // The stored answer time and language, as start-up applies them.
    Game::Effects applySettings(int interval, int language);

    // A press on zone `Index` (0 to 4) with any mouse button, or by the poll.
    Game::Effects PlayButton_MouseDown(int Index);
    // A press on the toy outside the zones: the right button breaks off.
    Game::Effects Form_MouseDown(int Button);
    // The keyboard poll's tick, and the answer time-out's.
    Game::Effects tmrRecord_Timer();
    Game::Effects Timer1_Timer();
    // Key state as the keyboard gives it, at once, whatever the game does.
    Game::Effects keyDown(Game::Key key);
    Game::Effects keyUp(Game::Key key);

    Game::Effects soundEnded();
    // The options or the table closed (by any of their ways).
    Game::Effects dialogClosed(Game::Dialog dialog);
    // The name prompt closed; `name` is what the file will hold (a cancel
    // gives the blank name).
    Game::Effects nameEntered(std::string name);
    // Inside the options: "High Score", a language, an answer time, the way out.
    Game::Effects tableChosen();
    Game::Effects languageChosen(int language);
    Game::Effects answerTimeChosen(int milliseconds);
    Game::Effects leaveChosen();
    // The toy's own close (the window manager's, Alt+F4).
    Game::Effects closeRequested();

    State state() const;
    // The language the game plays and polls in; the settings set it.
    int language() const { return m_language; }

  private:
    // Where a held step goes on.
    enum class Step : std::uint8_t {
        Done,
        ModeSwitched,
        ModeAnnounced,
        SoloPlayed,
        StartPlayed,
        StartEnds,
        CommandFirstEvents,
        CommandGiven,
        CommandSecondEvents,
        AnswerPlayed,
        NextPlayed,
        ErrorPlayed,
        ErrorEvents,
        EndBeatPlayed,
        EndBeatEvents,
        RemarkPlayed,
        NameGiven,
        PollKey,
        FarewellHeard,
    };
    enum class Hold : std::uint8_t { None, Sound, Dialog, Events };
    struct Frame {
        Step step = Step::Done;
        Hold hold = Hold::None;
        Game::Dialog dialog = Game::Dialog::Options;
        bool closed = false;    // the dialog it waits for has closed
        bool cycle = false;     // part of the command cycle, which a break-off ends
        bool abandoned = false; // its game was broken off: it goes no further
        int value = 0;          // the zone, the cause, the next key, the rank
        int language = 0;       // the key row a poll tick works through
        std::int16_t score = 0;
        std::string name;
        Game::ScoreTable table{};
    };
    struct Input {
        enum class Kind : std::uint8_t {
            Zone,
            Body,
            Poll,
            Tick,
            Closed,
            Name,
            TableButton,
            Language,
            AnswerTime,
            Leave,
            Close,
        };
        Kind kind;
        int value = 0;
        Game::Dialog dialog = Game::Dialog::Options;
        std::string name;
    };

    Game::Effects deliver(Input input);
    void dispatch(const Input& input);
    void dispatchNextWaiting();
    void run();
    void advance();
    Frame& push(Step step);
    Frame& top() { return m_stack.back(); }
    void pop() { m_stack.pop_back(); }

    void play(const char* sound);
    void request(Game::Effect effect) { m_effects.push_back(effect); }
    void startTimer1();
    void stopTimer1();
    bool isOpen(Game::Dialog dialog) const;
    bool onTop(Game::Dialog dialog) const;
    void holdOn(Game::Dialog dialog);
    void closeDialog(Game::Dialog dialog, const std::string* name);

    void zonePress(int index);
    void judge(int index);
    void timeOut(unsigned run);
    void gameOver(Game::GameEnd cause);
    void CheckHighScore(Frame& step);
    void pollTick();
    void pollKey(int position, int language);
    void showTable();
    void openOptions();
    void breakOff();
    void leave();

    Game::RandomSource m_random;
    Game::ScoreFile& m_scores;
    Game::Effects m_effects;
    std::vector<Frame> m_stack;
    // What the player did while a sound held the game, in the order it came.
    std::deque<Input> m_waiting;
    std::vector<Game::Dialog> m_open; // bottom to top
    Game::KeyBits m_keys;

    bool m_gameIdle = false;
    bool m_answerLocked = false;
    bool m_gameOverBusy = false;
    std::int16_t m_currentCommand = 0;
    std::int16_t m_soundMode = 0; // 0 voice mode, 1 sound mode; not stored
    std::int16_t m_score = 0;
    int m_language = 0;
    int m_interval = 800;
    bool m_timer1On = false;
    unsigned m_timer1Run = 0; // each start is a new run; a tick of an old one is void
    bool m_loaded = false;
    bool m_leaving = false;
};
