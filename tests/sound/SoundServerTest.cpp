// The desktop output against a real sound server, PipeWire or Debian's
// PulseAudio daemon (tests/sound/sound_server.sh runs the program under
// either), heard on a null sink's monitor. The server goes away and comes
// back, stalls, suspends its sink, changes its default; the next sound must
// be heard, and every sound's `done` must run.
#include "support/SoundServer.h"

#include "sound/PulseSoundOutput.h"
#include "sound/ResWave.h"
#include "startup/Resources.h"
#include "support/SoundLog.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

using namespace ResWave;
using namespace std::chrono_literals;

namespace {

QByteArray resource(const char* name)
{
    return Commands::loadResource(QStringLiteral("WAVE"), QString::fromLatin1(name))
        .value_or(QByteArray());
}

class ServerOutput : public ::testing::Test {
  protected:
    void SetUp() override
    {
        const QString why = SoundServer::unavailable();
        if (!why.isEmpty())
            GTEST_SKIP() << "no sound server: " << why.toStdString();
    }
    void TearDown() override
    {
        if (m_output) {
            EXPECT_TRUE(outputGone(5s)) << "the output hung on its way out";
        }
        SoundServer::kill();
    }
    void startOutput()
    {
        m_output = std::make_unique<PulseSoundOutput>(m_log.get());
        m_output->prepare();
    }
    // Destroys the output on a thread of its own, so that a hang fails the
    // test instead of holding it; a hung output is left behind with the log it
    // writes to.
    bool outputGone(std::chrono::milliseconds limit)
    {
        auto gone = std::make_shared<std::promise<void>>();
        auto future = gone->get_future();
        std::thread([output = std::move(m_output), log = m_log, gone]() mutable {
            output.reset();
            gone->set_value();
        }).detach();
        return future.wait_for(limit) == std::future_status::ready;
    }
    // Plays `name` and waits for its `done`, which must run.
    void play(const char* name, bool* ended)
    {
        *ended = false;
        m_output->playMemory(QString::fromLatin1(name), resource(name), 0,
                             [ended] { *ended = true; });
    }
    static bool waitForDone(const bool& ended)
    {
        // The limit only keeps a broken build from hanging.
        return QTest::qWaitFor([&ended] { return ended; }, 12000);
    }
    // Plays `name` and tells whether the sink heard it; its `done` must run too.
    bool heard(const char* name, const char* sink = "vuruz_test")
    {
        // PulseAudio's idle null sink renders 2 s ahead until a recorder asks
        // for less: its monitor's first block comes late, and a sound played
        // before it would wait for the block's end.
        SoundServer::Monitor monitor(sink);
        if (!monitor.waitUntilRecording())
            return false;
        bool ended = false;
        const auto called = SoundServer::Clock::now();
        play(name, &ended);
        const bool atSink = monitor.firstSoundAfter(called, 3s).has_value();
        EXPECT_TRUE(waitForDone(ended)) << "done never ran";
        return atSink;
    }

    std::shared_ptr<SoundLog> m_log = std::make_shared<SoundLog>();
    std::unique_ptr<PulseSoundOutput> m_output;
};

} // namespace

// The server dies (SIGKILL, as a crash) and is started again: between two
// sounds, in the middle of a sound, and while the output is opening its
// stream. The sound it cut still ends, the next sound is heard.
TEST_F(ServerOutput, ServerKilledAndStartedAgainIsFoundAgain)
{
    const struct {
        const char* when;
        bool duringSound;
        bool duringOpening;
    } cases[] = {{"while idle", false, false},
                 {"during a sound", true, false},
                 {"during an opening", false, true}};
    ASSERT_TRUE(SoundServer::start());
    startOutput();
    EXPECT_TRUE(heard("SNDTIPPEN"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        bool ended = false;
        if (c.duringSound) {
            play("ENDBEAT1", &ended);
            ASSERT_TRUE(m_log->waitFor([](const auto& plays) { return plays.back().started; }));
        }
        if (c.duringOpening) {
            // A new output asks for its stream with this sound; the server
            // goes before it answers.
            ASSERT_TRUE(outputGone(5s));
            m_log = std::make_shared<SoundLog>();
            startOutput();
            play("RHYSTART1", &ended);
        }
        SoundServer::kill();
        if (c.duringSound || c.duringOpening) {
            ASSERT_TRUE(waitForDone(ended)) << "the cut sound never ended";
            EXPECT_NE(m_log->last().how, SoundEnd::Heard);
        }
        QTest::qWait(300);
        ASSERT_TRUE(SoundServer::start());
        EXPECT_TRUE(heard("SNDROLLEN")) << "no sound after the server came back";
    }
}

// Killed and started ten times in a row, a sound played each time (kill and
// restart loops went silent after a few cycles). Runs with the long tests.
TEST_F(ServerOutput, TenRestartsInARow)
{
    if (qEnvironmentVariableIsEmpty("VURUZ_LONG_TESTS"))
        GTEST_SKIP() << "a long test: set VURUZ_LONG_TESTS=1 (ctest -L long)";
    ASSERT_TRUE(SoundServer::start());
    startOutput();
    for (int cycle = 0; cycle < 10; ++cycle) {
        SCOPED_TRACE(cycle);
        EXPECT_TRUE(heard("SNDTIPPEN"));
        SoundServer::kill();
        ASSERT_TRUE(SoundServer::start());
    }
    EXPECT_TRUE(heard("SNDROLLEN"));
}

// A server that starts after the game is used by the next sound; the sound
// played before it found none, took its time and ended unheard.
TEST_F(ServerOutput, ServerStartedAfterTheGameIsPickedUp)
{
    SoundServer::kill();
    startOutput();
    bool ended = false;
    play("SNDTIPPEN", &ended);
    ASSERT_TRUE(waitForDone(ended));
    EXPECT_EQ(m_log->last().how, SoundEnd::NoDevice);
    ASSERT_TRUE(SoundServer::start());
    EXPECT_TRUE(heard("SNDROLLEN")) << "the server that came later was not used";
}

// Without a session manager PipeWire never links the stream. A sound played
// meanwhile still ends; the output goes at once, even with the stream
// unanswered; and once the server is started whole the sound is back.
TEST_F(ServerOutput, ServerWithoutSessionManagerThenStartedWhole)
{
    if (SoundServer::isPulseAudio())
        GTEST_SKIP() << "PulseAudio links streams itself";
    ASSERT_TRUE(SoundServer::startUnmanaged());
    startOutput();
    bool ended = false;
    play("CMDSM_ZIEHEN", &ended);
    ASSERT_TRUE(waitForDone(ended)) << "done never ran";
    EXPECT_EQ(m_log->last().how, SoundEnd::NoDevice);
    play("CMDSM_ZIEHEN", &ended);
    EXPECT_TRUE(outputGone(1s)) << "the output hung on its way out during an opening";

    SoundServer::kill();
    ASSERT_TRUE(SoundServer::start());
    startOutput();
    EXPECT_TRUE(heard("SNDROLLEN"));
}

// A sink suspended for idleness wakes for the game's sound. The sound is
// played before the monitor records, so the sink is still asleep then.
TEST_F(ServerOutput, SuspendedSinkWakesForASound)
{
    if (!SoundServer::isPulseAudio())
        GTEST_SKIP() << "only the PulseAudio set-up suspends its sink within a second";
    ASSERT_TRUE(SoundServer::start());
    // Debian suspends an idle sink after 5 s; a second is enough here.
    ASSERT_TRUE(SoundServer::pactl("unload-module module-suspend-on-idle"));
    ASSERT_TRUE(SoundServer::pactl("load-module module-suspend-on-idle timeout=1"));
    startOutput();
    ASSERT_TRUE(QTest::qWaitFor(
        [] { return SoundServer::pactl("list short sinks").value_or("").contains("SUSPENDED"); },
        8000))
        << "the sink never suspended";
    {
        const char* name = "ENDBEAT1";
        bool ended = false;
        {
            const auto called = SoundServer::Clock::now();
            play(name, &ended);
            // The recording keeps the sink awake, so it ends with the sound.
            SoundServer::Monitor monitor;
            EXPECT_TRUE(monitor.firstSoundAfter(called, 3s).has_value())
                << "nothing reached the sink";
            ASSERT_TRUE(waitForDone(ended));
        }
        EXPECT_EQ(m_log->last().how, SoundEnd::Heard);
    }
}

// The player's new default output is followed, and when the output in use
// goes the sound goes to the one left. The mixer shows the game's name, icon
// and role.
TEST_F(ServerOutput, FollowsTheDefaultOutput)
{
    ASSERT_TRUE(SoundServer::start());
    startOutput();
    ASSERT_TRUE(m_output->deviceAvailable());
    const QByteArray inputs = SoundServer::pactl("list sink-inputs").value_or("");
    EXPECT_TRUE(inputs.contains("application.name = \"Vuruz Erireviru Simulator\""))
        << inputs.data();
    EXPECT_TRUE(inputs.contains("application.icon_name = \"de.wendrake.vuruz\"")) << inputs.data();
    EXPECT_TRUE(inputs.contains("media.role = \"game\"")) << inputs.data();

    const auto module =
        SoundServer::pactl("load-module module-null-sink sink_name=vuruz_other rate=48000");
    ASSERT_TRUE(module);
    ASSERT_TRUE(SoundServer::pactl("set-default-sink vuruz_other"));
    EXPECT_TRUE(heard("SNDTIPPEN", "vuruz_other")) << "the new default output was not followed";

    bool ended = false;
    play("ENDBEAT1", &ended);
    ASSERT_TRUE(m_log->waitFor([](const auto& plays) { return plays.back().started; }));
    ASSERT_TRUE(SoundServer::pactl("unload-module " + module->trimmed()));
    ASSERT_TRUE(waitForDone(ended));
    ASSERT_TRUE(SoundServer::pactl("set-default-sink vuruz_test"));
    EXPECT_TRUE(heard("SNDROLLEN")) << "no sound after the output in use went";
}

// The server stops for 2 s during a command, as on a busy machine: the
// command is held, not lost, so its `done` (from which the game counts the
// answer time) comes only after the server went on, and the beat after it is
// heard.
TEST_F(ServerOutput, StalledServerHoldsTheSound)
{
    ASSERT_TRUE(SoundServer::start());
    startOutput();
    EXPECT_TRUE(heard("SNDTIPPEN"));
    bool ended = false;
    // The longest command, so that the stop surely falls inside it.
    play("CMDVM_KLOPFEN", &ended);
    ASSERT_TRUE(m_log->waitFor([](const auto& plays) { return plays.back().started; }));
    ASSERT_TRUE(SoundServer::stop());
    QTest::qWait(2000);
    const bool endedDuringStall = ended;
    ASSERT_TRUE(SoundServer::cont());
    EXPECT_FALSE(endedDuringStall) << "the command ended while the server stood still";
    ASSERT_TRUE(waitForDone(ended));
    EXPECT_EQ(m_log->last().how, SoundEnd::Heard);
    EXPECT_TRUE(heard("RHYRHYTHM1")) << "the beat after the stall was not heard";
}

// Every way a sound can end on the server runs its `done` once: heard to its
// end, cut off by the beat file (whose end nobody waits for), unplayable with
// or without the default sound in its place. A cut sound must not hold up the
// next one, and the beat must be heard after it.
TEST_F(ServerOutput, EveryEndRunsDoneOnce)
{
    ASSERT_TRUE(SoundServer::start());
    startOutput();
    ASSERT_TRUE(m_output->deviceAvailable());
    QTemporaryDir temp;
    const QString beat = temp.filePath(QStringLiteral("rhyRhythm1.wav"));
    {
        QFile file(beat);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(resource("RHYRHYTHM1"));
    }
    const struct {
        const char* what;
        QByteArray image;
        int flags;
        bool cutByBeat;
        std::optional<SoundEnd> how; // of the sound itself; none when nothing was started
        QString lastHeard;           // what the sink played to its end last
    } cases[] = {
        {"heard", resource("SNDTIPPEN"), SND_NODEFAULT, false, SoundEnd::Heard,
         QStringLiteral("sound")},
        {"cut off", resource("ENDBEAT1"), SND_NODEFAULT, true, SoundEnd::CutOff, beat},
        {"unplayable, no default", QByteArray("not a sound"), SND_NODEFAULT, false, std::nullopt,
         QString()},
        {"unplayable, the default", QByteArray("not a sound"), 0, false, std::nullopt,
         QStringLiteral(":/SYSTEM/ding.wav")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = m_log->plays().size();
        int runs = 0;
        SoundServer::Monitor monitor;
        ASSERT_TRUE(monitor.waitUntilRecording());
        m_output->playMemory(QStringLiteral("sound"), c.image, c.flags, [&runs] { ++runs; });
        if (c.cutByBeat) {
            ASSERT_TRUE(m_log->waitFor([](const auto& plays) { return plays.back().started; }));
            const auto cut = SoundServer::Clock::now();
            PlayWaveFile(*m_output, beat);
            EXPECT_TRUE(monitor.firstSoundAfter(cut, 3s).has_value());
        }
        ASSERT_TRUE(QTest::qWaitFor([&runs] { return runs > 0; }, 12000));
        ASSERT_TRUE(m_log->waitUntilQuiet());
        QTest::qWait(50);
        EXPECT_EQ(runs, 1);
        const auto plays = m_log->plays();
        if (!c.how) {
            if (c.lastHeard.isEmpty()) {
                EXPECT_EQ(plays.size(), before) << "something was started for an unplayable image";
            }
        } else {
            ASSERT_GT(plays.size(), before);
            EXPECT_EQ(plays[before].how, c.how);
        }
        if (!c.lastHeard.isEmpty()) {
            ASSERT_FALSE(plays.empty());
            EXPECT_EQ(plays.back().source, c.lastHeard);
            EXPECT_EQ(plays.back().how, SoundEnd::Heard);
        }
    }
}
