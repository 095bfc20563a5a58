// The game against the model of the toy over random input scripts: the
// same presses, keys, dialog replies and closes at the same times must give
// the same sounds at the same times, the same dialogs, the same answer
// windows and the same table file.
#include "GameScript.h"
#include "ToyModel.h"
#include "game/ToyGame.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

namespace {

using K = ScriptEvent::Kind;
using Game::Effect;

// The table file in memory, in the same bytes as the model's.
class MemoryScoreFile final : public Game::ScoreFile {
  public:
    explicit MemoryScoreFile(const Script& script) : m_script(script), bytes(script.file) {}
    std::optional<Game::ScoreTable> load() override
    {
        if (m_script.fileUnreadable && !bytes.empty())
            return std::nullopt;
        auto places = bytes.empty() ? defaultPlaces() : decodeTable(bytes);
        places.resize(10, {std::string(20, ' '), 0});
        Game::ScoreTable table;
        for (std::size_t i = 0; i < table.size(); ++i)
            table[i] = {places[i].first, std::int16_t(places[i].second)};
        return table;
    }
    bool save(const Game::ScoreTable& table) override
    {
        if (m_script.fileUnwritable)
            return false;
        std::vector<std::pair<std::string, int>> places;
        for (const auto& entry : table)
            places.emplace_back(entry.name, entry.points);
        bytes = encodeTable(places);
        return true;
    }

  private:
    const Script& m_script;

  public:
    std::string bytes;
};

// The game with a shell of simulated time: sounds end after their length,
// the timers tick on their grid, the script's inputs come at their times.
struct GameRun {
    explicit GameRun(const Script& s)
        : script(s), file(s),
          game([this] { return script.draws[nextDraw++ % script.draws.size()]; }, file)
    {
    }

    void record(long t, const std::string& what)
    {
        if (t <= script.limit)
            trace.push_back(std::to_string(t) + " " + what);
    }

    void apply(long t, const Game::Effects& effects)
    {
        static const char* const kDialogs[] = {"options", "table", "name prompt"};
        for (const Effect& e : effects) {
            switch (e.kind) {
            case Effect::Kind::Play:
                record(t, std::string("play ") + e.sound);
                soundEnd = t + soundLength(e.sound);
                break;
            case Effect::Kind::StartRhythm:
                record(t, "rhythm");
                break;
            case Effect::Kind::StartTimer1:
                record(t, "timer " + std::to_string(e.interval));
                t1Next = t + e.interval;
                t1Interval = e.interval;
                break;
            case Effect::Kind::StopTimer1:
                record(t, "timer stopped");
                t1Next = -1;
                break;
            case Effect::Kind::RestartPoll:
                pollNext = t + 40;
                break;
            case Effect::Kind::EndDrag:
                break;
            case Effect::Kind::Open:
                record(t, std::string("open ") + kDialogs[int(e.dialog)]);
                break;
            case Effect::Kind::End:
                record(t, "end");
                ended = true;
                break;
            }
        }
    }

    void input(const ScriptEvent& e)
    {
        const long t = e.time;
        switch (e.kind) {
        case K::Zone:
            return apply(t, game.PlayButton_MouseDown(e.value));
        case K::Body:
            return apply(t, game.Form_MouseDown(e.value));
        case K::KeyDown:
            return apply(t, game.keyDown(Game::Key(e.value)));
        case K::KeyUp:
            return apply(t, game.keyUp(Game::Key(e.value)));
        case K::Closed:
            return apply(t, game.dialogClosed(Dialog(e.value)));
        case K::Name:
            return apply(t, game.nameEntered(padName(e.name)));
        case K::TableButton:
            return apply(t, game.tableChosen());
        case K::Language:
            return apply(t, game.languageChosen(e.value));
        case K::AnswerTime:
            return apply(t, game.answerTimeChosen(e.value));
        case K::Leave:
            return apply(t, game.leaveChosen());
        case K::Close:
            return apply(t, game.closeRequested());
        case K::Poll:
        case K::Tick:
            return;
        }
    }

    void run()
    {
        apply(0, game.applySettings(script.interval, script.language));
        apply(0, game.load());
        std::size_t next = 0;
        while (!ended) {
            // At one time: a sound's end, the answer tick, the key poll, the script.
            long best = script.limit + 1;
            int which = -1;
            const auto consider = [&](long at, int kind) {
                if (at >= 0 && at < best) {
                    best = at;
                    which = kind;
                }
            };
            consider(soundEnd, 0);
            consider(t1Next, 1);
            consider(pollNext, 2);
            if (next < script.events.size())
                consider(script.events[next].time, 3);
            if (which < 0)
                return;
            if (which == 0) {
                soundEnd = -1;
                apply(best, game.soundEnded());
            } else if (which == 1) {
                t1Next += t1Interval;
                apply(best, game.Timer1_Timer());
            } else if (which == 2) {
                pollNext += 40;
                apply(best, game.tmrRecord_Timer());
            } else {
                input(script.events[next++]);
            }
        }
    }

    const Script& script;
    std::size_t nextDraw = 0;
    MemoryScoreFile file;
    ToyGame game;
    Trace trace;
    long soundEnd = -1, t1Next = -1, pollNext = 40;
    int t1Interval = 0;
    bool ended = false;
};

struct Outcome {
    Trace trace;
    std::string file;
    bool operator==(const Outcome&) const = default;
};

Outcome onGame(const Script& script)
{
    GameRun run(script);
    run.run();
    return {run.trace, run.file.bytes};
}

Outcome onModel(const Script& script)
{
    ToyModel model(script);
    model.run();
    return {model.trace(), model.file()};
}

Script randomScript(std::mt19937& rng)
{
    const auto uniform = [&](int lo, int hi) { return std::uniform_int_distribution(lo, hi)(rng); };
    const auto chance = [&](double p) { return std::bernoulli_distribution(p)(rng); };
    Script s;
    const bool sameCommand = chance(0.5);
    if (sameCommand)
        s.draws = {std::uniform_real_distribution(0.0, 0.999)(rng)};
    else
        for (int i = 0; i < 16; ++i)
            s.draws.push_back(std::uniform_real_distribution(0.0, 0.999)(rng));
    const int right = int(5 * s.draws[0]);
    s.interval = chance(0.5) ? 800 : chance(0.05) ? 0 : uniform(200, 3000);
    s.language = uniform(0, 1);
    if (chance(0.5)) {
        std::vector<std::pair<std::string, int>> places;
        for (int i = 0; i < 10; ++i)
            places.emplace_back("P" + std::to_string(i), 12 - i - uniform(0, 2));
        s.file = encodeTable(places);
    }
    s.fileUnreadable = chance(0.05);
    s.fileUnwritable = chance(0.05);
    const int count = uniform(3, 40);
    const int span = uniform(2000, 12000);
    static constexpr Game::Key kKeys[] = {
        Game::Key::Space,  Game::Key::Space, Game::Key::Space, Game::Key::H, Game::Key::H,
        Game::Key::Escape, Game::Key::T,     Game::Key::R,     Game::Key::D, Game::Key::Z,
        Game::Key::K,      Game::Key::F,     Game::Key::S,     Game::Key::P, Game::Key::B};
    for (int i = 0; i < count; ++i) {
        ScriptEvent e;
        e.time = uniform(0, span);
        const int what = uniform(0, 99);
        if (what < 25) {
            e.kind = K::Zone;
            e.value = sameCommand && chance(0.6) ? right : uniform(0, 4);
        } else if (what < 33) {
            e.kind = K::Body;
            e.value = chance(0.8) ? 2 : 1;
        } else if (what < 63) {
            const auto key = kKeys[uniform(0, int(std::size(kKeys)) - 1)];
            e.kind = K::KeyDown;
            e.value = int(key);
            ScriptEvent up{e.time + uniform(5, 700), K::KeyUp, e.value, {}};
            s.events.push_back(up);
        } else if (what < 70) {
            e.kind = K::Closed;
            e.value = int(Dialog::Options);
        } else if (what < 78) {
            e.kind = K::Closed;
            e.value = int(Dialog::Table);
        } else if (what < 85) {
            e.kind = K::Name;
            e.name = chance(0.2) ? "" : "Player" + std::to_string(uniform(0, 99));
        } else if (what < 88) {
            e.kind = K::TableButton;
        } else if (what < 92) {
            e.kind = K::Language;
            e.value = uniform(0, 1);
        } else if (what < 96) {
            e.kind = K::AnswerTime;
            e.value = uniform(200, 3000);
        } else if (what < 98) {
            e.kind = K::Leave;
        } else {
            e.kind = K::Close;
        }
        s.events.push_back(e);
    }
    std::stable_sort(s.events.begin(), s.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.time < b.time; });
    return s;
}

// The shortest script (by dropping inputs one at a time) that still differs.
Script shrink(Script script)
{
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (std::size_t i = script.events.size(); i-- > 0;) {
            Script shorter = script;
            shorter.events.erase(shorter.events.begin() + long(i));
            if (!(onGame(shorter) == onModel(shorter))) {
                script = shorter;
                dropped = true;
            }
        }
    }
    return script;
}

std::string report(const Script& script)
{
    std::string text = "interval " + std::to_string(script.interval) + ", language " +
                       std::to_string(script.language) + ", draws";
    for (double d : script.draws) {
        char exact[32];
        std::snprintf(exact, sizeof exact, " %.17g", d);
        text += exact;
    }
    text += script.file.empty() ? ", no table file" : ", a table file";
    if (script.fileUnreadable)
        text += " (unreadable)";
    if (script.fileUnwritable)
        text += " (unwritable)";
    text += "\n";
    for (const ScriptEvent& e : script.events)
        text += "  " + describe(e) + "\n";
    const auto side = [](const char* who, const Outcome& o) {
        std::string t = std::string(who) + ":\n";
        for (const auto& line : o.trace)
            t += "  " + line + "\n";
        return t;
    };
    return text + side("game", onGame(script)) + side("model", onModel(script));
}

} // namespace

// Every script agrees; on a difference the seed and the shortest script that
// still differs are printed. VURUZ_MODEL_SCRIPTS sets how many (default 10000).
TEST(Model, GameAgreesWithTheToyOverRandomScripts)
{
    const char* wanted = std::getenv("VURUZ_MODEL_SCRIPTS");
    const long scripts = wanted ? std::atol(wanted) : 10000;
    const char* seedText = std::getenv("VURUZ_MODEL_SEED");
    const unsigned seed = seedText ? unsigned(std::atol(seedText)) : std::random_device{}();
    std::mt19937 rng(seed);
    long agreed = 0;
    for (; agreed < scripts; ++agreed) {
        const Script script = randomScript(rng);
        if (!(onGame(script) == onModel(script))) {
            ADD_FAILURE() << "seed " << seed << ", script " << agreed
                          << " differs; the shortest script that still differs:\n"
                          << report(shrink(script));
            break;
        }
    }
    std::cout << "model: " << agreed << " scripts agree" << std::endl;
}

namespace {

long len(const char* sound)
{
    return soundLength(sound);
}

std::string at(long t, const std::string& what)
{
    return std::to_string(t) + " " + what;
}

// True when `lines` appear in `trace` in this order, each exactly.
bool inOrder(const Trace& trace, const std::vector<std::string>& lines)
{
    auto from = trace.begin();
    for (const auto& line : lines) {
        from = std::find(from, trace.end(), line);
        if (from == trace.end())
            return false;
        ++from;
    }
    return true;
}

std::string joined(const Trace& trace)
{
    std::string text;
    for (const auto& line : trace)
        text += "  " + line + "\n";
    return text;
}

} // namespace

// Five input orders that the event-driven game once got wrong, each as a
// script whose run must show the toy's order of things (and agree with the
// model like any other script).
TEST(Model, InputOrdersWhereADialogOrTheWayOutHoldsTheGame)
{
    using E = ScriptEvent;
    // Every command is command 1 (zone 0): the player can answer right.
    const std::vector<double> firstCommand{0.1};
    const char* command = "CMDVM_TIPPEN";
    const long started = 100 + len("RHYSTART1"); // first command plays
    const long rhythm = started + len(command);  // answer time runs
    const long answered = rhythm + 100;          // right answer: its sound plays
    const long next = answered + len("SNDTIPPEN") + len("RHYRHYTHM2"); // where events run
    const long later = 9000;

    struct Case {
        const char* what;
        Script script;
        std::vector<std::string> expected; // in this order
        std::vector<std::string> never;
    } cases[] = {
        {"H during the answer sound: the table holds the next command until it is closed",
         {{{100, E::Kind::Zone, 4},
           {answered, E::Kind::Zone, 0},
           {answered + 20, E::Kind::KeyDown, int(Game::Key::H)},
           {answered + 60, E::Kind::KeyUp, int(Game::Key::H)},
           {later, E::Kind::Closed, int(Dialog::Table)}},
          firstCommand},
         {at(next, "open table"), at(later, std::string("play ") + command),
          at(later + len(command), "timer 800")},
         {at(next, std::string("play ") + command)}},
        {"the options zone during the drum intro: the first command waits for Zurueck",
         {{{100, E::Kind::Zone, 4},
           {150, E::Kind::Zone, 1},
           {later, E::Kind::Closed, int(Dialog::Options)}},
          firstCommand},
         {at(started, "open options"), at(later, std::string("play ") + command),
          at(later + len(command), "timer 800")},
         {at(started + len(command), "timer 800")}},
        {"a break-off during FEHLER: the options hold the game over and its high-score step",
         {{{100, E::Kind::Zone, 4},
           {answered, E::Kind::Zone, 0},
           {next + len(command) + 100, E::Kind::Zone, 3},
           {next + len(command) + 120, E::Kind::Body, 2},
           {later, E::Kind::Closed, int(Dialog::Options)}},
          firstCommand,
          800,
          0,
          encodeTable(std::vector<std::pair<std::string, int>>(10, {"Low", 0}))},
         {at(next + len(command) + 100, "play FEHLER"),
          at(next + len(command) + 100 + len("FEHLER"), "open options"), at(later, "play ENDBEAT1"),
          at(later + len("ENDBEAT1") + len("SONICHT"), "open name prompt")},
         {}},
        {"Alt+F4 during the answer sound: the farewell is heard whole, no command cuts it",
         {{{100, E::Kind::Zone, 4}, {answered, E::Kind::Zone, 0}, {answered + 20, E::Kind::Close}},
          firstCommand},
         {at(next, "play GAMEOVER"), at(next + len("GAMEOVER"), "end")},
         {at(next, std::string("play ") + command)}},
        {"B pressed in German is forgotten, not played when English is chosen later",
         {{{100, E::Kind::KeyDown, int(Game::Key::B)},
           {150, E::Kind::KeyUp, int(Game::Key::B)},
           {500, E::Kind::Zone, 1},
           {700, E::Kind::Language, 1}},
          firstCommand},
         {at(500, "open options")},
         {"play RHYSTART1"}},
    };
    for (const Case& c : cases) {
        const Outcome game = onGame(c.script);
        EXPECT_TRUE(inOrder(game.trace, c.expected)) << c.what << "\n" << joined(game.trace);
        for (const auto& line : c.never) {
            EXPECT_TRUE(
                std::none_of(game.trace.begin(), game.trace.end(),
                             [&](const std::string& l) { return l == line || l.ends_with(line); }))
                << c.what << ": " << line << "\n"
                << joined(game.trace);
        }
        EXPECT_EQ(game, onModel(c.script)) << c.what;
    }
}
