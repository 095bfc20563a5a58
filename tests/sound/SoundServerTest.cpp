// The real output against a real sound server: a headless PipeWire with a
// null sink (tests/sound/sound_server.sh), heard on the sink's monitor. The
// server goes away and comes back while the output idles and while a sound
// plays, and starts only after the output; the next sound must be heard.
#include "support/SoundServer.h"

#include "sound/SdlSoundOutput.h"
#include "startup/Resources.h"
#include "support/SoundLog.h"

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

// Both drivers a desktop may give SDL, and the one the output picks when the
// player chose none.
class ServerOutput : public ::testing::TestWithParam<const char*> {
  protected:
    void SetUp() override
    {
        const QString why = SoundServer::unavailable();
        if (!why.isEmpty())
            GTEST_SKIP() << "no sound server: " << why.toStdString();
        if (*GetParam())
            qputenv("SDL_AUDIODRIVER", GetParam());
        else
            qunsetenv("SDL_AUDIODRIVER");
    }
    void TearDown() override
    {
        EXPECT_TRUE(outputGone()) << "the output hung on its way out";
        SoundServer::kill();
    }
    void startOutput()
    {
        m_output = std::make_unique<SdlSoundOutput>(m_log.get());
        m_output->prepare();
    }
    // Destroys the output on a thread of its own, so that a hang fails the
    // test instead of holding it; a hung output is left behind with the log it
    // writes to.
    bool outputGone()
    {
        auto gone = std::make_shared<std::promise<void>>();
        auto future = gone->get_future();
        std::thread([output = std::move(m_output), log = m_log, gone]() mutable {
            output.reset();
            gone->set_value();
        }).detach();
        return future.wait_for(5s) == std::future_status::ready;
    }
    // Plays `name` and tells whether the sink heard it; its `done` must run
    // too. The limits only keep a broken build from hanging.
    bool heard(const char* name)
    {
        SoundServer::Monitor monitor;
        if (!monitor.waitUntilRecording())
            return false;
        bool ended = false;
        const auto called = SoundServer::Clock::now();
        m_output->playMemory(QString::fromLatin1(name), resource(name), 0,
                             [&ended] { ended = true; });
        const bool atSink = monitor.firstSoundAfter(called, 3s).has_value();
        EXPECT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 5000)) << "done never ran";
        return atSink;
    }

    std::shared_ptr<SoundLog> m_log = std::make_shared<SoundLog>();
    std::unique_ptr<SdlSoundOutput> m_output;
};

} // namespace

// Lost and back between two sounds of a game, before the quiet spell would
// close the device anyway.
TEST_P(ServerOutput, ServerLostWhileIdleIsFoundAgain)
{
    ASSERT_TRUE(SoundServer::start());
    startOutput();
    EXPECT_TRUE(heard("SNDTIPPEN"));
    SoundServer::kill();
    QTest::qWait(800);
    ASSERT_TRUE(SoundServer::start());
    EXPECT_TRUE(heard("SNDROLLEN")) << "no sound after the server came back";
}

// A sound cut by the loss ends at once, as lost, not after the stall guard's
// wait; the next one, after the server is back, is heard.
TEST_P(ServerOutput, ServerLostDuringASoundEndsItAndIsFoundAgain)
{
    ASSERT_TRUE(SoundServer::start());
    startOutput();
    EXPECT_TRUE(heard("SNDTIPPEN"));
    bool ended = false;
    m_output->playMemory(QStringLiteral("ENDBEAT1"), resource("ENDBEAT1"), 0,
                         [&ended] { ended = true; });
    ASSERT_TRUE(m_log->waitFor([](const auto& plays) { return plays.back().started; }));
    SoundServer::kill();
    ASSERT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 5000));
    EXPECT_EQ(m_log->last().how, SoundEnd::Lost);
    EXPECT_LT(m_log->last().handedOver, m_log->last().bytes);
    ASSERT_TRUE(SoundServer::start());
    ASSERT_TRUE(m_log->waitForDevice(true)) << "the output did not open the server again by itself";
    EXPECT_TRUE(heard("SNDROLLEN")) << "no sound after the server came back";
}

// A server that starts after the game is used by the next sound; the sounds
// played before it ran their `done` at once.
TEST_P(ServerOutput, ServerStartedAfterTheGameIsPickedUp)
{
    SoundServer::kill();
    startOutput();
    bool ended = false;
    m_output->playMemory(QStringLiteral("SNDTIPPEN"), resource("SNDTIPPEN"), 0,
                         [&ended] { ended = true; });
    ASSERT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 5000));
    EXPECT_EQ(m_log->last().how, SoundEnd::NoDevice);
    ASSERT_TRUE(SoundServer::start());
    EXPECT_TRUE(heard("SNDROLLEN")) << "the server that came later was not used";
}

// Without a session manager the stream is never linked and SDL's opening of
// the device never returns. A sound played meanwhile still ends, so the game
// goes on, and the output still goes away.
TEST_P(ServerOutput, DeviceOpeningThatNeverEndsHoldsNothingUp)
{
    if (!*GetParam())
        GTEST_SKIP() << "the output's own choice is the pipewire driver, run above";
    ASSERT_TRUE(SoundServer::startUnmanaged());
    startOutput();
    bool ended = false;
    m_output->playMemory(QStringLiteral("CMDSM_ZIEHEN"), resource("CMDSM_ZIEHEN"), 0,
                         [&ended] { ended = true; });
    EXPECT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 5000)) << "done never ran";
    EXPECT_NE(m_log->last().how, SoundEnd::Heard);
    EXPECT_TRUE(outputGone()) << "the output hung on its way out";
}

INSTANTIATE_TEST_SUITE_P(Drivers, ServerOutput, ::testing::Values("pulseaudio", "pipewire", ""),
                         [](const auto& info) {
                             return *info.param ? std::string(info.param) : std::string("chosen");
                         });
