// The real output path, on SDL's disk driver: it paces itself like a sound
// card and writes what it plays to a file, so no sound card is needed.
#include "sound/SdlSoundOutput.h"

#include "sound/PulseSoundOutput.h"
#include "sound/ResWave.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"
#include "support/SoundLog.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QFile>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <unistd.h>

using namespace ResWave;

namespace {

using Play = SoundLog::Play;

QByteArray resource(const char* name)
{
    return Commands::loadResource(QStringLiteral("WAVE"), QString::fromLatin1(name))
        .value_or(QByteArray());
}

WaveImage read(const QByteArray& bytes)
{
    return readWaveImage(
        {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())});
}

// A plain 22050 Hz mono 16-bit WAVE file of `ms` milliseconds of a quiet tone.
QByteArray toneImage(int ms, int bits = 16)
{
    const quint32 frames = 22050u * quint32(ms) / 1000u;
    const quint32 dataBytes = frames * quint32(bits / 8);
    QByteArray b;
    auto le = [&b](quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    b.append("RIFF");
    le(36 + dataBytes, 4);
    b.append("WAVEfmt ");
    le(16, 4);
    le(1, 2);
    le(1, 2);
    le(22050, 4);
    le(22050 * quint32(bits / 8), 4);
    le(quint32(bits / 8), 2);
    le(quint32(bits), 2);
    b.append("data");
    le(dataBytes, 4);
    for (quint32 i = 0; i < dataBytes; ++i)
        b.append(char((i / 50) % 2 ? 0x10 : 0xf0));
    return b;
}

// Counts how often a sound's `done` ran, and whether always on the
// application's thread.
struct DoneCount {
    int runs = 0;
    bool offThread = false;
    SoundDone callback()
    {
        return [this] {
            ++runs;
            offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        };
    }
    // Runs posted events until `done` has run; the limit only keeps a broken
    // build from hanging.
    bool wait()
    {
        return QTest::qWaitFor([this] { return runs > 0; }, 10000);
    }
};

class DiskOutput : public ::testing::Test {
  protected:
    void SetUp() override
    {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", m_temp.file(QStringLiteral("device.raw")).toLocal8Bit());
        qunsetenv("AUDIODEV");
        m_output = std::make_unique<SdlSoundOutput>(&m_log);
        ASSERT_TRUE(m_output->deviceAvailable());
    }
    void TearDown() override { m_output.reset(); }

    // Bytes a whole-buffer conversion of `wave` to the device's format must give.
    static std::size_t convertedBytes(const WaveImage& wave)
    {
        return wave.frames() * std::size_t(SdlSoundOutput::kRate) / wave.format.sampleRate *
               SdlSoundOutput::kFrameBytes;
    }
    QString writeFile(const char* name, const QByteArray& bytes) const
    {
        m_temp.write(QString::fromLatin1(name), bytes);
        return m_temp.file(QString::fromLatin1(name));
    }

    TempFolder m_temp;
    SoundLog m_log;
    std::unique_ptr<SdlSoundOutput> m_output;
};

} // namespace

// The game's pace rests on this: a play returns at once, and its `done` runs
// once, on the application's thread, after the device has taken the sound's
// last sample; no frame is lost in the conversion to the device's rate.
TEST_F(DiskOutput, DoneRunsOnceAfterTheWholeSound)
{
    DoneCount done;
    m_output->playMemory(QStringLiteral("GAMEOVER"), resource("GAMEOVER"), SND_NODEFAULT,
                         done.callback());
    EXPECT_EQ(done.runs, 0) << "done ran inside the play call";
    EXPECT_FALSE(m_log.last().how.has_value()) << "the play call waited for its sound";
    ASSERT_TRUE(done.wait());

    const Play played = m_log.last();
    EXPECT_EQ(played.source, QStringLiteral("GAMEOVER"));
    EXPECT_EQ(played.how, SoundEnd::Heard);
    EXPECT_EQ(played.handedOver, played.bytes);
    EXPECT_FALSE(done.offThread);
    const std::size_t expected = convertedBytes(read(resource("GAMEOVER")));
    EXPECT_NEAR(double(played.bytes), double(expected), 4.0 * SdlSoundOutput::kFrameBytes);
    // A later sound ends too, and the first `done` does not run again.
    DoneCount next;
    m_output->playMemory(QStringLiteral("SNDTIPPEN"), resource("SNDTIPPEN"), 0, next.callback());
    ASSERT_TRUE(next.wait());
    EXPECT_EQ(done.runs, 1);
    EXPECT_EQ(next.runs, 1);
}

// Every way a sound can end runs its `done` exactly once: heard, cut off by a
// newer sound, not playable (with or without the default sound in its place).
TEST_F(DiskOutput, EveryEndRunsDoneOnce)
{
    const QString cutter = writeFile("short.wav", toneImage(200));
    const struct {
        const char* what;
        QByteArray image;
        int flags;
        bool cutOff;
        QString heard; // what the device played to its end
    } cases[] = {
        {"heard", resource("SNDTIPPEN"), SND_NODEFAULT, false, QStringLiteral("answer")},
        {"cut off", toneImage(8000), SND_NODEFAULT, true, QString()},
        {"unplayable, no default", QByteArray("not a sound"), SND_NODEFAULT, false, QString()},
        {"unplayable, the default", QByteArray("not a sound"), 0, false,
         QStringLiteral(":/SYSTEM/ding.wav")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = m_log.plays().size();
        DoneCount done;
        m_output->playMemory(QStringLiteral("answer"), c.image, c.flags, done.callback());
        if (c.cutOff)
            m_output->playFile(cutter, SND_ASYNC);
        ASSERT_TRUE(done.wait());
        ASSERT_TRUE(m_log.waitUntilQuiet());
        QTest::qWait(20);
        EXPECT_EQ(done.runs, 1);
        EXPECT_FALSE(done.offThread);
        const auto plays = m_log.plays();
        if (c.cutOff) {
            ASSERT_EQ(plays.size(), before + 2);
            EXPECT_EQ(plays[before].how, SoundEnd::CutOff);
            EXPECT_LT(plays[before].handedOver, plays[before].bytes);
            EXPECT_EQ(plays[before + 1].how, SoundEnd::Heard);
        } else if (c.heard.isEmpty()) {
            EXPECT_EQ(plays.size(), before) << "something was started for an unplayable image";
        } else {
            ASSERT_EQ(plays.size(), before + 1);
            EXPECT_EQ(plays.back().source, c.heard);
            EXPECT_EQ(plays.back().how, SoundEnd::Heard);
            EXPECT_EQ(plays.back().handedOver, plays.back().bytes);
        }
    }
}

TEST_F(DiskOutput, UnknownNameLeavesThePlayingSoundAlone)
{
    const QString path = writeFile("long.wav", toneImage(8000));
    PlayWaveFile(*m_output, path);

    PlayWaveResource(*m_output, QStringLiteral("NO_SUCH_SOUND"));

    const auto plays = m_log.plays();
    ASSERT_EQ(plays.size(), 1u) << "something was started for an unknown name";
    EXPECT_EQ(plays.back().source, path);
    EXPECT_FALSE(plays.back().how.has_value());
}

TEST_F(DiskOutput, FilePlaysInTheBackgroundUntilAResourceCutsItOff)
{
    const QString path = writeFile("long.wav", toneImage(8000));
    PlayWaveFile(*m_output, path);
    ASSERT_TRUE(m_log.waitFor([](const auto& plays) { return plays.back().started; }));
    EXPECT_FALSE(m_log.last().how.has_value()) << "the file call waited for its sound";

    DoneCount done;
    m_output->playMemory(QStringLiteral("GAMEOVER"), resource("GAMEOVER"), 0, done.callback());
    ASSERT_TRUE(done.wait());

    const auto plays = m_log.plays();
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[0].source, path);
    EXPECT_EQ(plays[0].how, SoundEnd::CutOff);
    EXPECT_LT(plays[0].handedOver, plays[0].bytes);
    EXPECT_EQ(plays[1].source, QStringLiteral("GAMEOVER"));
    EXPECT_EQ(plays[1].how, SoundEnd::Heard);
}

TEST_F(DiskOutput, RhythmFilePlaysItself)
{
    const QString path = writeFile("rhyRhythm1.wav", resource("RHYRHYTHM1"));
    PlayWaveFile(*m_output, path);
    ASSERT_TRUE(m_log.waitUntilQuiet());
    EXPECT_EQ(m_log.last().source, path);
    EXPECT_EQ(m_log.last().how, SoundEnd::Heard);
    EXPECT_EQ(m_log.last().bytes, convertedBytes(read(resource("RHYRHYTHM1"))));
}

TEST_F(DiskOutput, UnplayableFilePlaysTheDefaultSound)
{
    const struct {
        const char* what;
        QString path;
    } cases[] = {
        {"missing", m_temp.file(QStringLiteral("missing.wav"))},
        {"empty", writeFile("empty.wav", QByteArray())},
        {"text", writeFile("text.wav", QByteArray("not a sound at all"))},
        {"24-bit", writeFile("deep.wav", toneImage(100, 24))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlayWaveFile(*m_output, c.path);
        EXPECT_EQ(m_log.last().source, QStringLiteral(":/SYSTEM/ding.wav"));
        ASSERT_TRUE(m_log.waitUntilQuiet());
        EXPECT_EQ(m_log.last().how, SoundEnd::Heard);
    }
}

// Without an output the game goes on in silence at its own pace: every
// `done` runs, each sound taking its recording's length as if heard; nothing
// crashes, and one plain line on stderr says what was tried and what to
// check (ALSA alone would print a page of errors for a missing card).
TEST(NoDevice, EveryPlayIsSilentAndKeepsItsLength)
{
    const struct {
        const char* what;
        const char* driver; // SDL_AUDIODRIVER, or none for the desktop's sound server
        const char* device;
        const char* said; // a piece of the line on stderr
    } cases[] = {
        {"SDL's ALSA without a card", "alsa", "hw:99", "SDL_AUDIODRIVER=alsa and AUDIODEV=hw:99"},
        {"an SDL driver that does not exist", "no-such-driver", "", "SDL_AUDIODRIVER=no-such"},
        {"no sound server", nullptr, "", "no sound server answered at unix:/nonexistent"},
    };
    TempFolder temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.driver)
            qputenv("SDL_AUDIODRIVER", c.driver);
        else
            qunsetenv("SDL_AUDIODRIVER");
        qputenv("AUDIODEV", c.device);
        qputenv("PULSE_SERVER", "unix:/nonexistent");

        const QString errFile = temp.file(QStringLiteral("stderr.txt"));
        std::fflush(stderr);
        const int savedErr = dup(STDERR_FILENO);
        const int capture =
            open(errFile.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(capture, STDERR_FILENO);
        {
            SoundLog log;
            std::unique_ptr<SoundOutput> output;
            if (c.driver)
                output = std::make_unique<SdlSoundOutput>(&log);
            else
                output = std::make_unique<PulseSoundOutput>(&log);
            DoneCount first, second;
            // Half the first sound's length: its `done` must not come before.
            bool halfway = false;
            QTimer::singleShot(int(read(resource("GAMEOVER")).lengthMs() / 2),
                               [&] { halfway = true; });
            bool doneBeforeHalfway = false;
            output->playMemory(QStringLiteral("GAMEOVER"), resource("GAMEOVER"), 0,
                               [&, done = first.callback()] {
                                   doneBeforeHalfway = !halfway;
                                   done();
                               });
            EXPECT_TRUE(first.wait());
            EXPECT_FALSE(doneBeforeHalfway) << "an unheard sound ended before its time";
            PlayWaveFile(*output, temp.file(QStringLiteral("missing.wav")));
            output->playMemory(QStringLiteral("SNDTIPPEN"), resource("SNDTIPPEN"), 0,
                               second.callback());
            EXPECT_TRUE(second.wait());
            EXPECT_TRUE(log.waitUntilQuiet());
            for (const Play& play : log.plays()) {
                EXPECT_FALSE(play.started) << play.source.toStdString();
                EXPECT_NE(play.how, SoundEnd::Heard) << play.source.toStdString();
            }
        }
        std::fflush(stderr);
        dup2(savedErr, STDERR_FILENO);
        close(savedErr);
        close(capture);
        const QByteArray said = temp.read(QStringLiteral("stderr.txt"));
        EXPECT_EQ(said.count('\n'), 1) << said.constData();
        EXPECT_TRUE(said.startsWith("vuruz: no sound: ")) << said.constData();
        EXPECT_TRUE(said.contains(c.said)) << said.constData();
    }
    qunsetenv("AUDIODEV");
    qunsetenv("PULSE_SERVER");
    qputenv("SDL_AUDIODRIVER", "dummy");
}

// The device is opened ahead of the first sound and kept between sounds, at
// rest after a quiet spell. Every sound must still play to its end: one that
// comes while the device is being opened, one right after another, one after
// a short pause, one after the device has gone to rest. An output may also go
// before its device has finished opening.
TEST(PreparedDevice, EverySoundPlaysToItsEnd)
{
    TempFolder temp;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", temp.file(QStringLiteral("device.raw")).toLocal8Bit());
    qunsetenv("AUDIODEV");
    const struct {
        const char* when;
        bool deviceOpenedFirst;
        int quietMs;
    } cases[] = {{"first sound while the device is being opened", false, 0},
                 {"second sound right after the first", true, 0},
                 {"second sound after a short pause", true, 300},
                 {"second sound after the device has gone to rest", true, 4500}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        SoundLog log;
        SdlSoundOutput output(&log);
        output.prepare();
        if (c.deviceOpenedFirst) {
            ASSERT_TRUE(output.deviceAvailable());
        }
        DoneCount first, second;
        output.playMemory(QStringLiteral("SNDTIPPEN"), resource("SNDTIPPEN"), 0, first.callback());
        ASSERT_TRUE(first.wait());
        std::this_thread::sleep_for(std::chrono::milliseconds(c.quietMs));
        output.playMemory(QStringLiteral("SNDROLLEN"), resource("SNDROLLEN"), 0, second.callback());
        ASSERT_TRUE(second.wait());
        const auto plays = log.plays();
        ASSERT_EQ(plays.size(), 2u);
        for (const Play& play : plays) {
            EXPECT_EQ(play.how, SoundEnd::Heard) << play.source.toStdString();
            EXPECT_EQ(play.handedOver, play.bytes) << play.source.toStdString();
        }
    }
    SdlSoundOutput goneEarly;
    goneEarly.prepare();
}
