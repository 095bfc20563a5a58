#include "ToyModel.h"

#include <algorithm>
#include <cmath>

using K = ScriptEvent::Kind;

namespace {

constexpr int kSoundEnd = 0, kAnswerTick = 1, kKeyPoll = 2, kScript = 3;

const char* dialogName(Dialog d)
{
    return d == Dialog::Options ? "options" : d == Dialog::Table ? "table" : "name prompt";
}

} // namespace

ToyModel::ToyModel(const Script& script)
    : m_script(script), m_file(script.file), m_interval(script.interval),
      m_language(script.language)
{
}

void ToyModel::run()
{
    try {
        messageLoop(-1);
    } catch (const Ended&) {
    }
}

// ---- the window system

void ToyModel::record(std::string what)
{
    if (m_now.time <= m_script.limit)
        m_trace.push_back(std::to_string(m_now.time) + " " + what);
}

void ToyModel::play(const char* sound)
{
    record(std::string("play ") + sound);
    // The thread is blocked: what the player does meanwhile waits.
    m_now = {m_now.time + soundLength(sound), kSoundEnd, 0};
    arriveBefore(m_now);
}

bool ToyModel::nextArrival(Position& at) const
{
    bool found = false;
    const auto consider = [&](Position p) {
        if (p.time <= m_script.limit && (!found || p < at)) {
            at = p;
            found = true;
        }
    };
    if (m_nextEvent < m_script.events.size())
        consider({m_script.events[m_nextEvent].time, kScript, int(m_nextEvent)});
    if (m_t1On)
        consider({m_t1Next, kAnswerTick, 0});
    consider({m_pollNext, kKeyPoll, 0});
    return found;
}

void ToyModel::arriveBefore(Position p)
{
    Position at{};
    while (nextArrival(at) && at < p)
        arriveOne();
}

void ToyModel::arriveOne()
{
    Position at{};
    nextArrival(at);
    const auto queued = [this](K kind, int value) {
        return std::any_of(m_pending.begin(), m_pending.end(), [&](const Pending& p) {
            return p.kind == kind && (kind == K::Poll || p.value == value);
        });
    };
    if (at.order == kAnswerTick) {
        // A window timer has at most one tick waiting.
        if (!queued(K::Tick, m_t1Run))
            m_pending.push_back({K::Tick, m_t1Run});
        m_t1Next += m_interval;
        return;
    }
    if (at.order == kKeyPoll) {
        if (!queued(K::Poll, 0))
            m_pending.push_back({K::Poll});
        m_pollNext += 40;
        return;
    }
    const ScriptEvent& e = m_script.events[m_nextEvent++];
    if (e.kind == K::KeyDown) {
        KeyState& key = m_keys[e.value];
        if (key.down)
            return;
        key = {true, true, m_ticks};
        // The poll acts on a press at once and counts its ticks from it.
        m_pollNext = e.time + 40;
        if (!queued(K::Poll, 0))
            m_pending.push_back({K::Poll});
    } else if (e.kind == K::KeyUp) {
        m_keys[e.value].down = false;
    } else {
        m_pending.push_back({e.kind, e.value, e.name});
    }
}

void ToyModel::doEvents()
{
    while (!m_pending.empty()) {
        const Pending message = m_pending.front();
        m_pending.pop_front();
        dispatch(message);
    }
}

void ToyModel::messageLoop(int dialogId)
{
    const auto closed = [&] {
        return std::any_of(m_closed.begin(), m_closed.end(),
                           [&](const auto& c) { return c.first == dialogId; });
    };
    while (!m_stopped && !(dialogId >= 0 && closed())) {
        if (!m_pending.empty()) {
            const Pending message = m_pending.front();
            m_pending.pop_front();
            dispatch(message);
            continue;
        }
        Position at{};
        if (!nextArrival(at)) {
            // The script is over: whatever still runs, runs after the last
            // moment compared.
            m_stopped = true;
            m_now = {m_script.limit + 1, 0, 0};
            return;
        }
        m_now = at;
        arriveOne();
    }
}

int ToyModel::openDialog(Dialog kind)
{
    record(std::string("open ") + dialogName(kind));
    m_open.push_back({kind, m_nextDialogId});
    return m_nextDialogId++;
}

void ToyModel::modal(int dialogId)
{
    messageLoop(dialogId);
}

bool ToyModel::isOpen(Dialog kind) const
{
    return std::any_of(m_open.begin(), m_open.end(), [&](const Open& o) { return o.kind == kind; });
}

bool ToyModel::onTop(Dialog kind) const
{
    return !m_open.empty() && m_open.back().kind == kind;
}

void ToyModel::closeTop(Dialog kind, const std::string* name)
{
    if (!onTop(kind))
        return;
    m_closed.emplace_back(m_open.back().id, name ? *name : std::string());
    m_open.pop_back();
}

void ToyModel::dispatch(const Pending& m)
{
    // Only the topmost dialog takes input; the toy takes none while one is up.
    switch (m.kind) {
    case K::Zone:
        if (m_open.empty())
            PlayButton_MouseDown(m.value);
        return;
    case K::Body:
        if (m_open.empty() && m.value == 2)
            breakOff();
        return;
    case K::Poll:
        tmrRecord_Timer();
        return;
    case K::Tick:
        Timer1_Timer(m.value);
        return;
    case K::Closed:
        closeTop(Dialog(m.value), nullptr);
        return;
    case K::Name:
        closeTop(Dialog::NamePrompt, &m.name);
        return;
    case K::TableButton:
        if (onTop(Dialog::Options))
            showTable();
        return;
    case K::Language:
        if (onTop(Dialog::Options))
            m_language = m.value;
        return;
    case K::AnswerTime:
        if (onTop(Dialog::Options)) {
            m_interval = m.value;
            if (m_t1On) {
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
        if (m_open.empty())
            leave();
        return;
    case K::KeyDown:
    case K::KeyUp:
        return;
    }
}

// ---- the toy

int ToyModel::draw(int n)
{
    const double r = m_script.draws[m_nextDraw++ % m_script.draws.size()];
    return std::clamp(int(std::floor(n * r)) + 1, 1, n);
}

void ToyModel::startTimer1()
{
    if (m_interval <= 0)
        return;
    m_t1On = true;
    ++m_t1Run;
    m_t1Next = m_now.time + m_interval;
    record("timer " + std::to_string(m_interval));
}

void ToyModel::stopTimer1()
{
    if (!m_t1On)
        return;
    m_t1On = false;
    record("timer stopped");
}

void ToyModel::PlayButton_MouseDown(int index)
{
    if (GameOverBusy)
        return;
    if (GameIdle) {
        switch (index) {
        case 0:
            play(SoundMode == 0 ? "SOUNDMODUS" : "VOICEMODUS");
            SoundMode = 1 - SoundMode;
            return;
        case 2:
            stopTimer1();
            showTable();
            return;
        case 1:
            stopTimer1();
            openOptions();
            return;
        case 4: {
            AnswerLocked = true;
            play("RHYSTART1");
            const int breakOffs = m_breakOffs;
            NextCommand();
            if (breakOffs == m_breakOffs)
                GameIdle = false;
            return;
        }
        case 3:
            play(SoundMode == 1 ? "SOUNDMODUS" : "VOICEMODUS");
            play("SOLO");
            return;
        }
    }
    if (GameIdle || AnswerLocked)
        return;
    judge(index);
}

void ToyModel::NextCommand()
{
    // A break-off while the command is given ends the game there.
    const int breakOffs = m_breakOffs;
    doEvents();
    if (breakOffs != m_breakOffs)
        return;
    CurrentCommand = draw(5);
    play(Game::commandSound(CurrentCommand, SoundMode, m_language));
    record("rhythm");
    doEvents();
    if (breakOffs != m_breakOffs)
        return;
    AnswerLocked = false;
    startTimer1();
}

void ToyModel::judge(int index)
{
    stopTimer1();
    AnswerLocked = true;
    if (index + 1 != CurrentCommand) {
        gameOver(false);
        return;
    }
    Score = std::min(Score + 1, 32767);
    play(Game::answerSound(index));
    play("RHYRHYTHM2");
    NextCommand();
}

void ToyModel::Timer1_Timer(int run)
{
    if (!m_t1On || run != m_t1Run || AnswerLocked)
        return;
    stopTimer1();
    gameOver(true);
}

void ToyModel::gameOver(bool timeOut)
{
    const auto cause = timeOut ? Game::GameEnd::TimeOut : Game::GameEnd::WrongZone;
    GameOverBusy = true;
    play("FEHLER");
    doEvents();
    play("ENDBEAT1");
    doEvents();
    play(Game::remarkSound(cause, draw(timeOut ? 3 : 2), m_language));
    GameIdle = true;
    GameOverBusy = false;
    // The score is handed over and cleared before the step's dialogs.
    const int score = Score;
    Score = 0;
    CheckHighScore(score);
}

void ToyModel::CheckHighScore(int score)
{
    if (m_script.fileUnreadable && !m_file.empty())
        return;
    auto places = m_file.empty() ? defaultPlaces() : decodeTable(m_file);
    places.resize(10, {std::string(20, ' '), 0});
    int rank = 0;
    for (int r = 10; r >= 1; --r) {
        if (score > places[r - 1].second)
            rank = r;
    }
    const auto save = [&] {
        if (m_script.fileUnwritable || m_now.time > m_script.limit)
            return false;
        m_file = encodeTable(places);
        return true;
    };
    if (rank == 0) {
        save();
        return;
    }
    for (int r = 10; r > rank; --r)
        places[r - 1] = places[r - 2];
    const int prompt = openDialog(Dialog::NamePrompt);
    modal(prompt);
    std::string name(20, ' ');
    for (const auto& [id, given] : m_closed) {
        if (id == prompt)
            name = given;
    }
    places[rank - 1] = {padName(name), score};
    if (save())
        showTable();
}

void ToyModel::tmrRecord_Timer()
{
    ++m_ticks;
    // Presses older than the previous tick are forgotten, polled or not.
    for (KeyState& key : m_keys) {
        if (key.pressed && key.pressTick < m_ticks - 1)
            key.pressed = false;
    }
    const int language = m_language;
    const auto query = [this](Game::Key k) {
        KeyState& key = m_keys[int(k)];
        const bool state = key.down || key.pressed;
        key.pressed = false;
        // Keys typed into the name prompt are read and dropped.
        return state && !isOpen(Dialog::NamePrompt);
    };
    for (int zone = 0; zone < 5; ++zone) {
        if (query(Game::letterKeys(language)[std::size_t(zone)]))
            PlayButton_MouseDown(zone);
    }
    if (query(Game::Key::Space))
        PlayButton_MouseDown(4);
    if (query(Game::Key::H)) {
        stopTimer1();
        showTable();
    }
    if (query(Game::Key::Escape))
        breakOff();
}

void ToyModel::showTable()
{
    // A table already up reads the file again and returns at once.
    if (isOpen(Dialog::Table)) {
        record("open table");
        return;
    }
    modal(openDialog(Dialog::Table));
}

void ToyModel::openOptions()
{
    if (!isOpen(Dialog::Options))
        modal(openDialog(Dialog::Options));
}

void ToyModel::breakOff()
{
    stopTimer1();
    GameIdle = true;
    ++m_breakOffs;
    openOptions();
}

void ToyModel::leave()
{
    m_pending.clear();
    stopTimer1();
    play(Game::farewellSound(m_language));
    record("end");
    throw Ended{};
}
