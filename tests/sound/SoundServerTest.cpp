// The real output against a real sound server: a headless PipeWire with a
// null sink (tests/sound/sound_server.sh), heard on the sink's monitor. The
// server goes away and comes back while the output idles and while a sound
// plays, and starts only after the output; the next sound must be heard.
#include "support/SoundServer.h"

#include "sound/SdlSoundOutput.h"
#include "startup/Resources.h"
#include "support/SoundLog.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

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
        m_output.reset();
        SoundServer::kill();
    }
    void startOutput()
    {
        m_output = std::make_unique<SdlSoundOutput>(&m_log);
        m_output->prepare();
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

    SoundLog m_log;
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
    ASSERT_TRUE(m_log.waitFor([](const auto& plays) { return plays.back().started; }));
    SoundServer::kill();
    ASSERT_TRUE(QTest::qWaitFor([&ended] { return ended; }, 5000));
    EXPECT_EQ(m_log.last().how, SoundEnd::Lost);
    EXPECT_LT(m_log.last().handedOver, m_log.last().bytes);
    ASSERT_TRUE(SoundServer::start());
    ASSERT_TRUE(m_log.waitForDevice(true)) << "the output did not open the server again by itself";
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
    EXPECT_EQ(m_log.last().how, SoundEnd::NoDevice);
    ASSERT_TRUE(SoundServer::start());
    EXPECT_TRUE(heard("SNDROLLEN")) << "the server that came later was not used";
}

INSTANTIATE_TEST_SUITE_P(Drivers, ServerOutput, ::testing::Values("pulseaudio", "pipewire", ""),
                         [](const auto& info) {
                             return *info.param ? std::string(info.param) : std::string("chosen");
                         });
