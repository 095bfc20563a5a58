#include "game/StepQueue.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace Game {

void StepQueue::run(Action action, Kind kind)
{
    add({Type::Run, kind, std::move(action), {}});
}

void StepQueue::wait(Start start, Kind kind)
{
    add({Type::Wait, kind, {}, std::move(start)});
}

void StepQueue::letEventsRun(Kind kind)
{
    add({Type::LetEventsRun, kind, {}, {}});
}

void StepQueue::add(Step step)
{
    if (m_inStep) {
        m_added.push_back(std::move(step));
        return;
    }
    m_steps.push_back(std::move(step));
    pump();
}

void StepQueue::deliver(Action input, Source source)
{
    if (m_inStep) {
        input();
        return;
    }
    if (!busy()) {
        run(std::move(input));
        return;
    }
    // A timer that fired again while its tick still waits is one tick.
    if (source != Source::Any &&
        std::any_of(m_inputs.begin(), m_inputs.end(),
                    [source](const Input& waiting) { return waiting.source == source; }))
        return;
    m_inputs.push_back({std::move(input), source});
}

void StepQueue::dropCycle()
{
    const auto isCycle = [](const Step& step) { return step.kind == Kind::Cycle; };
    std::erase_if(m_steps, isCycle);
    std::erase_if(m_added, isCycle);
}

void StepQueue::pump()
{
    if (m_pumping)
        return;
    m_pumping = true;
    while (!m_waiting) {
        if (!m_steps.empty()) {
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            runStep(step);
        } else if (!m_inputs.empty()) {
            // The queue has run dry: back in the event loop, where what
            // waited is handled in the order it came.
            handleNextInput();
        } else {
            break;
        }
    }
    m_pumping = false;
}

void StepQueue::runStep(Step& step)
{
    m_inStep = true;
    switch (step.type) {
    case Type::Run:
        step.action();
        break;
    case Type::Wait: {
        m_waiting = true;
        const std::uint64_t serial = ++m_waitSerial;
        const std::weak_ptr<int> alive = m_alive;
        step.start([this, alive, serial] {
            if (alive.lock())
                resume(serial);
        });
        break;
    }
    case Type::LetEventsRun:
        if (!m_inputs.empty()) {
            Input input = std::move(m_inputs.front());
            m_inputs.pop_front();
            input.handler();
            // The rest of what waited comes after this input's own steps.
            m_added.push_back({Type::LetEventsRun, Kind::Plain, {}, {}});
        }
        break;
    }
    m_steps.insert(m_steps.begin(), std::make_move_iterator(m_added.begin()),
                   std::make_move_iterator(m_added.end()));
    m_added.clear();
    m_inStep = false;
}

void StepQueue::handleNextInput()
{
    Input input = std::move(m_inputs.front());
    m_inputs.pop_front();
    Step step{Type::Run, Kind::Plain, std::move(input.handler), {}};
    runStep(step);
}

void StepQueue::resume(std::uint64_t serial)
{
    if (!m_waiting || serial != m_waitSerial)
        return;
    m_waiting = false;
    pump();
}

} // namespace Game
