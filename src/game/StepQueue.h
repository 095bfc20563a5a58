#pragma once

#include <QtGlobal>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace Game {

// The toy's handlers as a queue of steps, run one after another on the event
// loop. The toy waited for every sound it played and let pending events run
// only at a few points of a handler; this queue keeps that order without
// blocking:
// - a waiting step (a sound) holds the steps behind it until it is told that
//   it has finished;
// - steps added while a step runs go before the steps that were already
//   queued, as a handler called from another ran to its end first;
// - an input (a press, a tick) that arrives while a step waits is kept until
//   the next `letEventsRun` step, or until the queue has run dry, and is then
//   handled there, under the game's flags as they stand at that point.
class StepQueue {
  public:
    using Action = std::function<void()>;
    using Resume = std::function<void()>;
    using Start = std::function<void(Resume)>;

    // Cycle steps belong to the command cycle: a break-off drops them.
    enum class Kind { Plain, Cycle };
    // A tick waits at most once per source, like a timer message.
    enum class Source { Any, AnswerTimer, KeyPoll };

    void run(Action action, Kind kind = Kind::Plain);
    // `start` begins something and must call its argument once it has ended,
    // later, from the event loop.
    void wait(Start start, Kind kind = Kind::Plain);
    void letEventsRun(Kind kind = Kind::Plain);

    // Handles `input` now when no step is held, or from inside a step (a
    // handler calling another); else keeps it for the next point where events
    // run.
    void deliver(Action input, Source source = Source::Any);

    // Drops the command cycle's steps still queued.
    void dropCycle();

    // True while a step waits or steps are queued.
    bool busy() const { return m_waiting || !m_steps.empty(); }

  private:
    enum class Type { Run, Wait, LetEventsRun };
    struct Step {
        Type type;
        Kind kind;
        Action action;
        Start start;
    };
    struct Input {
        Action handler;
        Source source;
    };

    void add(Step step);
    void pump();
    void runStep(Step& step);
    void handleNextInput();
    void resume(std::uint64_t serial);

    std::deque<Step> m_steps;
    std::vector<Step> m_added; // steps added by the step that runs now
    std::deque<Input> m_inputs;
    bool m_inStep = false;
    bool m_pumping = false;
    bool m_waiting = false;
    std::uint64_t m_waitSerial = 0;
    // A resume that comes after the queue is gone does nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace Game
