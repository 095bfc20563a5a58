#pragma once

#include "GameScript.h"

#include <deque>
#include <string>
#include <vector>

// The toy as it ran, written the way it was: one thread, sounds that block
// (the clock jumps to their end), "let pending events run" that handles what
// came meanwhile, modal dialogs as nested loops, a 40 ms key poll reading key
// state as the toy's key table says, and window timers whose ticks collapse
// while the thread is busy. It also makes every mend the game has made to
// the toy (listed in docs/architecture.md). The model-based test plays the
// same scripts on it and on the game and compares what each does.
class ToyModel {
  public:
    explicit ToyModel(const Script& script);
    // Runs the whole script; what it did is in trace() and file().
    void run();

    const Trace& trace() const { return m_trace; }
    const std::string& file() const { return m_file; }

  private:
    struct Position {
        long time;
        int order; // at one time: sound end, answer tick, key poll, the script's events
        int seq;
        bool operator<(const Position& o) const
        {
            return time != o.time ? time < o.time
                                  : (order != o.order ? order < o.order : seq < o.seq);
        }
    };
    struct Pending {
        ScriptEvent::Kind kind; // Poll and Tick stand for the timers
        int value = 0;
        std::string name;
    };
    struct Ended {}; // the program has ended: every handler stops where it is

    // -- the window system
    void play(const char* sound);
    void record(std::string what);
    void arriveBefore(Position p);
    void arriveOne();
    bool nextArrival(Position& at) const;
    void doEvents();
    void messageLoop(int dialogId);
    void dispatch(const Pending& message);
    int openDialog(Dialog kind);
    void modal(int dialogId);
    bool isOpen(Dialog kind) const;
    bool onTop(Dialog kind) const;
    void closeTop(Dialog kind, const std::string* name);

    // -- the toy
    void PlayButton_MouseDown(int index);
    void NextCommand();
    void judge(int index);
    void Timer1_Timer(int run);
    void gameOver(bool timeOut);
    void CheckHighScore(int score);
    void tmrRecord_Timer();
    void showTable();
    void openOptions();
    void breakOff();
    void leave();
    void startTimer1();
    void stopTimer1();
    int draw(int n);

    const Script& m_script;
    std::size_t m_nextEvent = 0;
    std::size_t m_nextDraw = 0;
    Position m_now{0, 0, 0};
    bool m_stopped = false;
    std::deque<Pending> m_pending;
    Trace m_trace;
    std::string m_file;

    struct Open {
        Dialog kind;
        int id;
    };
    std::vector<Open> m_open;
    int m_nextDialogId = 0;
    std::vector<std::pair<int, std::string>> m_closed; // dialog id, the name given

    // the key state
    struct KeyState {
        bool down = false;
        bool pressed = false;
        long pressTick = 0;
    };
    KeyState m_keys[12];
    long m_ticks = 0;
    long m_pollNext = 40;

    // the timer
    bool m_t1On = false;
    int m_t1Run = 0;
    long m_t1Next = 0;
    int m_interval;
    int m_language;

    // the toy's flags
    bool GameIdle = true;
    bool AnswerLocked = false;
    bool GameOverBusy = false;
    int CurrentCommand = 0;
    int SoundMode = 0;
    int Score = 0;
    int m_breakOffs = 0;
};
