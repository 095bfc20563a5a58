#include "game/ToyGame.h"

#include <algorithm>
#include <limits>
#include <utility>

using Game::Dialog;
using Game::Effect;
using Game::Effects;
using Kind = Effect::Kind;

namespace {

// The keys of one poll tick in the order they are tested: the language's
// letters for zones 0 to 4, then Space, H and Escape.
constexpr int kPolledPerTick = Game::kZoneCount + 3;

Game::Key polledKey(int position, int language)
{
    if (position < Game::kZoneCount)
        return Game::letterKeys(language)[std::size_t(position)];
    if (position == Game::kZoneCount)
        return Game::kCentreKey;
    return position == Game::kZoneCount + 1 ? Game::kTableKey : Game::kBreakOffKey;
}

} // namespace

ToyGame::ToyGame(Game::RandomSource random, Game::ScoreFile& scores)
    : m_random(std::move(random)), m_scores(scores)
{
}

Effects ToyGame::load()
{
    m_loaded = true;
    m_gameIdle = true;
    return std::exchange(m_effects, {});
}

Effects ToyGame::applySettings(int interval, int language)
{
    m_interval = interval;
    m_language = language;
    return std::exchange(m_effects, {});
}

// ---- inputs

Effects ToyGame::PlayButton_MouseDown(int Index)
{
    return deliver({Input::Kind::Zone, Index});
}

Effects ToyGame::Form_MouseDown(int Button)
{
    return deliver({Input::Kind::Body, Button});
}

Effects ToyGame::tmrRecord_Timer()
{
    if (!m_loaded)
        return {};
    return deliver({Input::Kind::Poll});
}

Effects ToyGame::Timer1_Timer()
{
    // A tick is of the run it came from: one that waited while the timer was
    // stopped or started anew is void.
    if (!m_timer1On)
        return {};
    return deliver({Input::Kind::Tick, int(m_timer1Run)});
}

Effects ToyGame::keyDown(Game::Key key)
{
    // Before the toy stands on the screen the keys are not polled at all.
    if (m_leaving || !m_keys.down(key) || !m_loaded)
        return {};
    // A press is acted on at once rather than at the next tick.
    request({Kind::RestartPoll});
    return deliver({Input::Kind::Poll});
}

Effects ToyGame::keyUp(Game::Key key)
{
    m_keys.up(key);
    return {};
}

Effects ToyGame::soundEnded()
{
    if (!m_stack.empty() && top().hold == Hold::Sound) {
        top().hold = Hold::None;
        run();
    }
    return std::exchange(m_effects, {});
}

Effects ToyGame::dialogClosed(Dialog dialog)
{
    return deliver({Input::Kind::Closed, 0, dialog});
}

Effects ToyGame::nameEntered(std::string name)
{
    return deliver({Input::Kind::Name, 0, Dialog::NamePrompt, std::move(name)});
}

Effects ToyGame::tableChosen()
{
    return deliver({Input::Kind::TableButton});
}

Effects ToyGame::languageChosen(int language)
{
    return deliver({Input::Kind::Language, language});
}

Effects ToyGame::answerTimeChosen(int milliseconds)
{
    return deliver({Input::Kind::AnswerTime, milliseconds});
}

Effects ToyGame::leaveChosen()
{
    return deliver({Input::Kind::Leave});
}

Effects ToyGame::closeRequested()
{
    return deliver({Input::Kind::Close});
}

ToyGame::State ToyGame::state() const
{
    if (m_leaving)
        return State::Leaving;
    if (!m_stack.empty() && m_stack.back().hold == Hold::Dialog)
        return State::HeldByDialog;
    if (m_gameOverBusy)
        return State::GameOver;
    const bool givingCommand = std::any_of(m_stack.begin(), m_stack.end(), [](const Frame& f) {
        return f.cycle && !f.abandoned && f.step != Step::StartEnds;
    });
    if (m_gameIdle)
        return givingCommand || (!m_stack.empty() && m_stack.back().step == Step::StartPlayed)
                   ? State::Starting
                   : State::Idle;
    if (givingCommand)
        return State::GivingCommand;
    return m_answerLocked ? State::AnswerAccepted : State::WaitingForAnswer;
}

// ---- holding and running

Effects ToyGame::deliver(Input input)
{
    if (m_leaving)
        return std::exchange(m_effects, {});
    if (!m_stack.empty() && top().hold == Hold::Sound) {
        // A timer that fired again while its tick still waits is one tick.
        const bool again = std::any_of(m_waiting.begin(), m_waiting.end(), [&](const Input& w) {
            return w.kind == input.kind &&
                   (input.kind == Input::Kind::Poll ||
                    (input.kind == Input::Kind::Tick && w.value == input.value));
        });
        if (!again)
            m_waiting.push_back(std::move(input));
        return std::exchange(m_effects, {});
    }
    dispatch(input);
    run();
    return std::exchange(m_effects, {});
}

void ToyGame::dispatchNextWaiting()
{
    Input input = std::move(m_waiting.front());
    m_waiting.pop_front();
    dispatch(input);
}

void ToyGame::run()
{
    for (;;) {
        if (m_stack.empty()) {
            if (m_waiting.empty() || m_leaving)
                return;
            dispatchNextWaiting();
            continue;
        }
        Frame& frame = top();
        if (frame.hold == Hold::Sound)
            return;
        if (frame.hold == Hold::Dialog && frame.closed) {
            // Its dialog has closed: the step goes on at once, and what still
            // waits is handled where the game next lets events run.
            frame.hold = Hold::None;
        } else if (frame.hold == Hold::Dialog || frame.hold == Hold::Events) {
            // Held by a dialog, or at a point where the game lets events run:
            // what waited is handled here, each to its end.
            if (!m_waiting.empty()) {
                dispatchNextWaiting();
                continue;
            }
            if (frame.hold == Hold::Dialog)
                return;
            frame.hold = Hold::None;
        }
        advance();
    }
}

ToyGame::Frame& ToyGame::push(Step step)
{
    Frame frame;
    frame.step = step;
    m_stack.push_back(std::move(frame));
    return m_stack.back();
}

void ToyGame::play(const char* sound)
{
    top().hold = Hold::Sound;
    request({Kind::Play, sound});
}

void ToyGame::startTimer1()
{
    // A window timer with interval 0 does not run.
    if (m_interval <= 0)
        return;
    m_timer1On = true;
    ++m_timer1Run;
    request({Kind::StartTimer1, nullptr, m_interval});
}

void ToyGame::stopTimer1()
{
    if (!m_timer1On)
        return;
    m_timer1On = false;
    request({Kind::StopTimer1});
}

bool ToyGame::isOpen(Dialog dialog) const
{
    return std::find(m_open.begin(), m_open.end(), dialog) != m_open.end();
}

bool ToyGame::onTop(Dialog dialog) const
{
    return !m_open.empty() && m_open.back() == dialog;
}

void ToyGame::holdOn(Dialog dialog)
{
    m_open.push_back(dialog);
    request({Kind::Open, nullptr, 0, dialog});
    Frame& frame = push(Step::Done);
    frame.hold = Hold::Dialog;
    frame.dialog = dialog;
}

void ToyGame::closeDialog(Dialog dialog, const std::string* name)
{
    if (!onTop(dialog))
        return;
    m_open.pop_back();
    for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it) {
        if (it->hold == Hold::Dialog && it->dialog == dialog && !it->closed) {
            it->closed = true;
            if (name)
                it->name = *name;
            return;
        }
    }
}

void ToyGame::dispatch(const Input& input)
{
    using K = Input::Kind;
    // The toy takes no mouse input and no close while a dialog is up.
    const bool toyFree = m_open.empty();
    switch (input.kind) {
    case K::Zone:
        if (toyFree)
            zonePress(input.value);
        return;
    case K::Body:
        if (toyFree && input.value == 2)
            breakOff();
        return;
    case K::Poll:
        pollTick();
        return;
    case K::Tick:
        timeOut(unsigned(input.value));
        return;
    case K::Closed:
        closeDialog(input.dialog, nullptr);
        return;
    case K::Name:
        closeDialog(Dialog::NamePrompt, &input.name);
        return;
    case K::TableButton:
        if (onTop(Dialog::Options))
            showTable();
        return;
    case K::Language:
        if (onTop(Dialog::Options))
            m_language = input.value;
        return;
    case K::AnswerTime:
        if (onTop(Dialog::Options)) {
            m_interval = input.value;
            // A running timer counts the new interval from now.
            if (m_timer1On) {
                stopTimer1();
                startTimer1();
            }
        }
        return;
    case K::Leave:
        if (onTop(Dialog::Options))
            leave();
        return;
    case K::Close:
        if (toyFree)
            leave();
        return;
    }
}

// ---- the game's steps

void ToyGame::zonePress(int index)
{
    if (m_gameOverBusy)
        return;
    if (m_gameIdle) {
        switch (index) {
        case 0:
            push(Step::ModeSwitched);
            // The sound names the mode that is now in force.
            play(m_soundMode == 0 ? Sounds::kSoundMode : Sounds::kVoiceMode);
            return;
        case 1:
            stopTimer1();
            openOptions();
            return;
        case 2:
            stopTimer1();
            showTable();
            return;
        case 3:
            push(Step::ModeAnnounced);
            play(m_soundMode == 1 ? Sounds::kSoundMode : Sounds::kVoiceMode);
            return;
        case 4:
            m_answerLocked = true;
            push(Step::StartPlayed);
            play(Sounds::kStart);
            return;
        default:
            return;
        }
    }
    if (m_answerLocked)
        return;
    judge(index);
}

void ToyGame::judge(int index)
{
    stopTimer1();
    m_answerLocked = true;
    if (index + 1 != m_currentCommand) {
        gameOver(Game::GameEnd::WrongZone);
        return;
    }
    // The score stops at its ceiling instead of wrapping to a negative count.
    if (m_score < std::numeric_limits<std::int16_t>::max())
        ++m_score;
    push(Step::AnswerPlayed);
    play(Game::answerSound(index));
}

void ToyGame::timeOut(unsigned run)
{
    if (!m_timer1On || run != m_timer1Run || m_answerLocked)
        return;
    stopTimer1();
    gameOver(Game::GameEnd::TimeOut);
}

void ToyGame::gameOver(Game::GameEnd cause)
{
    m_gameOverBusy = true;
    push(Step::ErrorPlayed).value = int(cause);
    play(Sounds::kError);
}

void ToyGame::showTable()
{
    // A table that is up already reads the file again and holds nothing.
    if (isOpen(Dialog::Table)) {
        request({Kind::Open, nullptr, 0, Dialog::Table});
        return;
    }
    holdOn(Dialog::Table);
}

void ToyGame::openOptions()
{
    // One options dialog at a time: a second would save its own, older
    // values over what the first one just saved.
    if (!isOpen(Dialog::Options))
        holdOn(Dialog::Options);
}

void ToyGame::breakOff()
{
    request({Kind::EndDrag});
    stopTimer1();
    m_gameIdle = true;
    // The broken-off game gives no further command: going on would restart
    // the time-out behind the options and end it with an error and the
    // high-score step.
    for (Frame& frame : m_stack) {
        if (frame.cycle)
            frame.abandoned = true;
    }
    openOptions();
}

void ToyGame::leave()
{
    // Every close takes the way out: the game stops where it stands, and
    // the farewell is heard to its end before the program goes.
    m_leaving = true;
    m_waiting.clear();
    m_stack.clear();
    stopTimer1();
    push(Step::FarewellHeard);
    play(Game::farewellSound(m_language));
}

void ToyGame::pollTick()
{
    m_keys.tick();
    Frame& frame = push(Step::PollKey);
    frame.language = m_language;
}

void ToyGame::pollKey(int position, int language)
{
    const Game::Key key = polledKey(position, language);
    // While the name is asked for, the letters typed there are read and
    // dropped: acting on them would start a game inside the prompt whose own
    // game over clobbers the entry being made.
    const bool pressed = m_keys.query(key) != 0 && !isOpen(Dialog::NamePrompt);
    if (!pressed)
        return;
    if (position <= Game::kZoneCount) {
        zonePress(position < Game::kZoneCount ? position : Game::kCentreZone);
    } else if (key == Game::kTableKey) {
        stopTimer1();
        showTable();
    } else {
        breakOff();
    }
}

void ToyGame::CheckHighScore(Frame& step)
{
    const std::optional<Game::ScoreTable> stored = m_scores.load();
    if (!stored) {
        pop();
        return;
    }
    Game::ScoreTable table = *stored;
    const int rank = Game::rankFor(table, step.score);
    if (rank == 0) {
        m_scores.save(table);
        pop();
        return;
    }
    std::move_backward(table.begin() + (rank - 1), table.end() - 1, table.end());
    step.table = table;
    step.value = rank;
    step.step = Step::NameGiven;
    step.hold = Hold::Dialog;
    step.dialog = Dialog::NamePrompt;
    m_open.push_back(Dialog::NamePrompt);
    request({Kind::Open, nullptr, 0, Dialog::NamePrompt});
}

void ToyGame::advance()
{
    Frame& frame = top();
    if (frame.abandoned) {
        pop();
        return;
    }
    switch (frame.step) {
    case Step::Done:
        pop();
        return;
    case Step::ModeSwitched:
        m_soundMode = m_soundMode == 0 ? 1 : 0;
        pop();
        return;
    case Step::ModeAnnounced:
        frame.step = Step::SoloPlayed;
        play(Sounds::kSolo);
        return;
    case Step::SoloPlayed:
        pop();
        return;
    case Step::StartPlayed:
        frame.step = Step::StartEnds;
        frame.cycle = true;
        push(Step::CommandFirstEvents);
        top().cycle = true;
        top().hold = Hold::Events;
        return;
    case Step::StartEnds:
        m_gameIdle = false;
        pop();
        return;
    case Step::CommandFirstEvents:
        m_currentCommand = std::int16_t(Game::drawOneTo(Game::kZoneCount, m_random));
        frame.step = Step::CommandGiven;
        play(Game::commandSound(m_currentCommand, m_soundMode, m_language));
        return;
    case Step::CommandGiven:
        request({Kind::StartRhythm});
        frame.step = Step::CommandSecondEvents;
        frame.hold = Hold::Events;
        return;
    case Step::CommandSecondEvents:
        m_answerLocked = false;
        // Timer1 is stopped here, so the whole interval counts from the rhythm's start.
        startTimer1();
        pop();
        return;
    case Step::AnswerPlayed:
        frame.step = Step::NextPlayed;
        play(Sounds::kNext);
        return;
    case Step::NextPlayed:
        frame.step = Step::CommandFirstEvents;
        frame.cycle = true;
        frame.hold = Hold::Events;
        return;
    case Step::ErrorPlayed:
        frame.step = Step::ErrorEvents;
        frame.hold = Hold::Events;
        return;
    case Step::ErrorEvents:
        frame.step = Step::EndBeatPlayed;
        play(Sounds::kEndBeat);
        return;
    case Step::EndBeatPlayed:
        frame.step = Step::EndBeatEvents;
        frame.hold = Hold::Events;
        return;
    case Step::EndBeatEvents: {
        const auto cause = Game::GameEnd(frame.value);
        const int n = int(Game::remarks(cause).german.size());
        frame.step = Step::RemarkPlayed;
        play(Game::remarkSound(cause, Game::drawOneTo(n, m_random), m_language));
        return;
    }
    case Step::RemarkPlayed:
        m_gameIdle = true;
        m_gameOverBusy = false;
        // The step gets the score and the next game starts from 0, even one
        // started while the step still shows its table.
        frame.score = std::exchange(m_score, std::int16_t(0));
        CheckHighScore(frame);
        return;
    case Step::NameGiven: {
        frame.table[std::size_t(frame.value - 1)] = {frame.name, frame.score};
        const bool saved = m_scores.save(frame.table);
        pop();
        if (saved)
            showTable();
        return;
    }
    case Step::PollKey: {
        const int position = frame.value++;
        if (position >= kPolledPerTick) {
            pop();
            return;
        }
        // Each key's action runs to its end before the next key is tested.
        pollKey(position, frame.language);
        return;
    }
    case Step::FarewellHeard:
        pop();
        request({Kind::End});
        return;
    }
}
