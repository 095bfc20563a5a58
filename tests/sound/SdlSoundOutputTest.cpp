// The real output path, on SDL's disk driver: it paces itself like a sound
// card and writes what it plays to a file, so no sound card is needed.
#include "sound/SdlSoundOutput.h"

#include "sound/ResWave.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"
#include "support/TempFolder.h"

#include <QFile>
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

class DiskOutput : public ::testing::Test {
  protected:
    void SetUp() override
    {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", m_temp.file(QStringLiteral("device.raw")).toLocal8Bit());
        qunsetenv("AUDIODEV");
        m_output = std::make_unique<SdlSoundOutput>();
        setSoundOutput(m_output.get());
        ASSERT_TRUE(m_output->deviceAvailable());
    }
    void TearDown() override
    {
        setSoundOutput(nullptr);
        m_output.reset();
    }

    PlayRecord last() const
    {
        const auto plays = m_output->recentPlays();
        return plays.empty() ? PlayRecord{} : plays.back();
    }
    // Lets a background sound run out; the limit only keeps a broken build from hanging.
    void waitUntilQuiet() const
    {
        for (int i = 0; i < 1000 && m_output->playing(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Bytes a whole-buffer conversion of `wave` to the device's format must give.
    std::size_t convertedBytes(const WaveImage& wave) const
    {
        const SDL_AudioSpec device = m_output->deviceSpec();
        const std::size_t frameBytes =
            std::size_t(device.channels) * SDL_AUDIO_BITSIZE(device.format) / 8;
        return wave.frames() * std::size_t(device.freq) / wave.format.sampleRate * frameBytes;
    }
    QString writeFile(const char* name, const QByteArray& bytes) const
    {
        m_temp.write(QString::fromLatin1(name), bytes);
        return m_temp.file(QString::fromLatin1(name));
    }

    TempFolder m_temp;
    std::unique_ptr<SdlSoundOutput> m_output;
};

} // namespace

// The game's pace rests on this: the call comes back only when the device has
// taken the sound's last sample, and no window event runs in between.
TEST_F(DiskOutput, SynchronousPlayReturnsAfterTheWholeSound)
{
    bool eventRan = false;
    QTimer::singleShot(0, [&eventRan] { eventRan = true; });

    PlayWaveResource(QStringLiteral("GAMEOVER"));

    const PlayRecord played = last();
    EXPECT_FALSE(eventRan) << "the UI thread processed events while the sound played";
    EXPECT_EQ(played.source, QStringLiteral("GAMEOVER"));
    EXPECT_TRUE(played.heard);
    EXPECT_EQ(played.handedOver, played.bytes);
    EXPECT_FALSE(m_output->playing());
    // No frame of the sound is lost in the conversion to the device's rate.
    const std::size_t expected = convertedBytes(read(resource("GAMEOVER")));
    const std::size_t frameBytes = std::size_t(m_output->deviceSpec().channels) * 2;
    EXPECT_NEAR(double(played.bytes), double(expected), 4.0 * double(frameBytes));
}

// The memory bit is added to whatever flags come in; only the async bit makes
// the call return early, and then the sound still plays to its end although
// the caller's buffer is gone.
TEST_F(DiskOutput, FlagsDecideBetweenWaitingAndPlayingOn)
{
    const struct {
        int flags;
        bool waits;
    } cases[] = {{SND_NODEFAULT | SND_MEMORY, true},
                 {SND_NODEFAULT, true},
                 {0, true},
                 {SND_ASYNC, false},
                 {SND_ASYNC | SND_MEMORY, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        PlayWaveResource(QStringLiteral("SNDTIPPEN"), c.flags);
        EXPECT_EQ(last().heard, c.waits);
        EXPECT_EQ(m_output->playing(), !c.waits);
        waitUntilQuiet();
        EXPECT_TRUE(last().heard);
        EXPECT_EQ(last().handedOver, last().bytes);
    }
}

TEST_F(DiskOutput, UnknownNameLeavesThePlayingSoundAlone)
{
    const QString path = writeFile("long.wav", toneImage(8000));
    PlayWaveFile(path);
    ASSERT_TRUE(m_output->playing());

    PlayWaveResource(QStringLiteral("NO_SUCH_SOUND"));

    EXPECT_TRUE(m_output->playing());
    const auto plays = m_output->recentPlays();
    ASSERT_EQ(plays.size(), 1u) << "something was started for an unknown name";
    EXPECT_EQ(plays.back().source, path);
    EXPECT_FALSE(plays.back().cutOff);
}

TEST_F(DiskOutput, FilePlaysInTheBackgroundUntilAResourceCutsItOff)
{
    const QString path = writeFile("long.wav", toneImage(8000));
    PlayWaveFile(path);
    EXPECT_TRUE(m_output->playing()) << "the file call waited for its sound";
    EXPECT_LT(last().handedOver, last().bytes);

    PlayWaveResource(QStringLiteral("GAMEOVER"));

    const auto plays = m_output->recentPlays();
    ASSERT_EQ(plays.size(), 2u);
    EXPECT_EQ(plays[0].source, path);
    EXPECT_TRUE(plays[0].cutOff);
    EXPECT_LT(plays[0].handedOver, plays[0].bytes);
    EXPECT_EQ(plays[1].source, QStringLiteral("GAMEOVER"));
    EXPECT_TRUE(plays[1].heard);
}

TEST_F(DiskOutput, RhythmFilePlaysItself)
{
    const QString path = writeFile("rhyRhythm1.wav", resource("RHYRHYTHM1"));
    PlayWaveFile(path);
    waitUntilQuiet();
    EXPECT_EQ(last().source, path);
    EXPECT_TRUE(last().heard);
    EXPECT_EQ(last().bytes, convertedBytes(read(resource("RHYRHYTHM1"))));
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
        PlayWaveFile(c.path);
        EXPECT_EQ(last().source, QStringLiteral(":/SYSTEM/ding.wav"));
        waitUntilQuiet();
        EXPECT_TRUE(last().heard);
    }
}

// Without a device the game goes on in silence: nothing waits, nothing crashes,
// nothing is printed (ALSA would print a page of errors for a missing card).
TEST(NoDevice, EveryPlayIsSilent)
{
    const struct {
        const char* driver;
        const char* device;
    } cases[] = {{"alsa", "hw:99"}, {"no-such-driver", ""}};
    TempFolder temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver);
        qputenv("SDL_AUDIODRIVER", c.driver);
        qputenv("AUDIODEV", c.device);

        const QString errFile = temp.file(QStringLiteral("stderr.txt"));
        std::fflush(stderr);
        const int savedErr = dup(STDERR_FILENO);
        const int capture =
            open(errFile.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(capture, STDERR_FILENO);
        {
            SdlSoundOutput output;
            setSoundOutput(&output);
            PlayWaveResource(QStringLiteral("GAMEOVER"));
            PlayWaveFile(temp.file(QStringLiteral("missing.wav")));
            PlayWaveResource(QStringLiteral("SNDTIPPEN"), SND_ASYNC);
            EXPECT_FALSE(output.deviceAvailable());
            EXPECT_FALSE(output.playing());
            EXPECT_TRUE(output.recentPlays().empty());
            setSoundOutput(nullptr);
        }
        std::fflush(stderr);
        dup2(savedErr, STDERR_FILENO);
        close(savedErr);
        close(capture);
        EXPECT_EQ(temp.read(QStringLiteral("stderr.txt")), QByteArray());
    }
    qunsetenv("AUDIODEV");
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
        SdlSoundOutput output;
        setSoundOutput(&output);
        output.prepare();
        if (c.deviceOpenedFirst) {
            ASSERT_TRUE(output.deviceAvailable());
        }
        PlayWaveResource(QStringLiteral("SNDTIPPEN"));
        std::this_thread::sleep_for(std::chrono::milliseconds(c.quietMs));
        PlayWaveResource(QStringLiteral("SNDROLLEN"));
        const auto plays = output.recentPlays();
        ASSERT_EQ(plays.size(), 2u);
        for (const PlayRecord& play : plays) {
            EXPECT_TRUE(play.heard) << play.source.toStdString();
            EXPECT_EQ(play.handedOver, play.bytes) << play.source.toStdString();
        }
        setSoundOutput(nullptr);
    }
    SdlSoundOutput goneEarly;
    goneEarly.prepare();
}
