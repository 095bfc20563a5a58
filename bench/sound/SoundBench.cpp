// Prints, for every catalogue sound, how long after the play call its `done`
// runs on the application's thread against the recording's length, and how
// long a play call takes until its first sample reaches the device. Runs on
// SDL's disk driver, which paces itself like a sound card. Then what a play
// costs the GUI thread with each output, the recordings converted ahead.
#include "sound/PulseSoundOutput.h"
#include "sound/ResWave.h"
#include "sound/SdlSoundOutput.h"
#include "sound/SoundNames.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"
#include "support/SoundLog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace ResWave;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPlays = 3;

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Spread {
    double min, median, max;
};

Spread spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir temp;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", (temp.path() + QStringLiteral("/device.raw")).toLocal8Bit());

    SoundLog log;
    SdlSoundOutput output(&log);
    const auto coldStart = Clock::now();
    PlayWaveResource(output, QStringLiteral("SNDTIPPEN"), {}, SND_ASYNC | SND_MEMORY);
    log.waitUntilQuiet();
    const double coldFirstSample = ms(log.last().firstSample - coldStart);
    std::printf("device: %d Hz, %d channels, %d frames per buffer (%.1f ms)\n",
                SdlSoundOutput::kRate, SdlSoundOutput::kChannels, SdlSoundOutput::kDiskFrames,
                SdlSoundOutput::kDiskFrames * 1000.0 / SdlSoundOutput::kRate);
    std::printf("cold start (device opened by the call): first sample after %.1f ms\n\n",
                coldFirstSample);
    std::printf("%-14s %7s | %27s | %8s | %24s\n", "sound", "length", "done min/median/max ms",
                "late ms", "first sample min/med/max");

    std::vector<double> allLate;
    for (const char* soundName : Sounds::allNames()) {
        const QString name = QString::fromLatin1(soundName);
        const auto bytes = Commands::loadResource(QStringLiteral("WAVE"), name);
        const WaveImage wave =
            bytes ? readWaveImage({reinterpret_cast<const unsigned char*>(bytes->constData()),
                                   std::size_t(bytes->size())})
                  : WaveImage{};
        std::vector<double> blocked, firstSample, late;
        for (int i = 0; i < kPlays; ++i) {
            // As the game sees it: its event loop runs the posted `done`.
            QEventLoop loop;
            Clock::time_point after;
            const auto before = Clock::now();
            output.playMemory(name, bytes.value_or(QByteArray()), SND_NODEFAULT, [&] {
                after = Clock::now();
                loop.quit();
            });
            loop.exec();
            const SoundLog::Play play = log.last();
            blocked.push_back(ms(after - before));
            firstSample.push_back(ms(play.firstSample - before));
            const double soundMs =
                play.bytes * 1000.0 / (SdlSoundOutput::kRate * SdlSoundOutput::kFrameBytes);
            late.push_back(ms(after - before) - soundMs);
            allLate.push_back(late.back());
        }
        const Spread b = spread(blocked), f = spread(firstSample), l = spread(late);
        std::printf("%-14s %7lld | %8.1f %8.1f %8.1f | %8.1f | %7.2f %7.2f %7.2f\n",
                    name.toLatin1().constData(), static_cast<long long>(wave.lengthMs()), b.min,
                    b.median, b.max, l.median, f.min, f.median, f.max);
    }
    const Spread all = spread(allLate);
    std::printf("\ndone after the sound's end, all plays: min %.1f, median %.1f, max %.1f ms\n",
                all.min, all.median, all.max);

    // The desktop output finds no server here; a play costs the GUI thread
    // the same either way.
    PulseSoundOutput desktop;
    output.prepare();
    desktop.prepare();
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();
    std::printf("\nGUI thread per play call, every recording, 5 rounds (ms):\n");
    for (auto [label, out] : {std::pair<const char*, SoundOutput*>{"SDL output", &output},
                              std::pair<const char*, SoundOutput*>{"desktop output", &desktop}}) {
        std::vector<double> cost;
        for (int round = 0; round < 5; ++round) {
            for (const char* soundName : Sounds::allNames()) {
                const auto before = Clock::now();
                PlayWaveResource(*out, QString::fromLatin1(soundName), {});
                cost.push_back(ms(Clock::now() - before));
                QCoreApplication::processEvents();
            }
        }
        const Spread c = spread(cost);
        std::printf("  %-16s min %.3f  median %.3f  max %.3f\n", label, c.min, c.median, c.max);
    }
    return 0;
}
