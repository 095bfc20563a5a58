// Prints the delay from a mouse press on a zone, and from a key press, to the
// first sample of that zone's sound reaching the audio device: the real main
// window, the real key filter and poll, the real SDL output on the disk
// driver (which paces itself like a sound card). Then the toy idles for a
// minute in a plain event loop, as the program does between games: the CPU it
// uses meanwhile, and the first press after it. Run under a display.
#include "BenchSupport.h"
#include "game/Rnd.h"
#include "game/ToyGame.h"
#include "game/frmMain.h"
#include "sound/SdlSoundOutput.h"
#include "startup/Globals.h"
#include "support/SoundLog.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPresses = 12;
constexpr int kIdleSeconds = 60;
// The pull handle's idle-menu press announces the mode: "VOICEMODUS", then "SOLO".
constexpr int kZone = 3;
const QPoint kZoneCentre(320 + 151 / 2, 402 + 143 / 2 - 30);

// Time from `pressed` to the first sample of the first sound played after it.
double firstSampleAfter(const SoundLog& log, Clock::time_point pressed)
{
    for (const auto& play : log.plays()) {
        if (play.called >= pressed && play.started && play.source == QLatin1String("VOICEMODUS"))
            return std::chrono::duration<double, std::milli>(play.firstSample - pressed).count();
    }
    return -1;
}

// Nanoseconds this process has run on a CPU, in all its threads, also those
// that have ended since (SDL's device thread ends when a device is closed).
long long cpuNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
}

// Time from a mouse press on the zone to its sound's first sample.
double mousePress(QWindow* window, const SoundLog& log)
{
    const auto pressed = Clock::now();
    QTest::mousePress(window, Qt::LeftButton, Qt::NoModifier, kZoneCentre);
    QTest::mouseRelease(window, Qt::LeftButton, Qt::NoModifier, kZoneCentre);
    if (!QTest::qWaitFor([&] { return firstSampleAfter(log, pressed) >= 0; }, 5000))
        std::printf("no sound after a mouse press\n");
    return firstSampleAfter(log, pressed);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir temp;
    qputenv("SDL_AUDIODRIVER", "disk");
    qputenv("SDL_DISKAUDIOFILE", (temp.path() + QStringLiteral("/device.raw")).toLocal8Bit());
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    SoundLog log;
    ResWave::SdlSoundOutput output(&log);
    Commands::Language = 0;

    Bench::HookedDialogs dialogs;
    Bench::MemoryScores scores;
    ToyGame game(Game::clockSeededDraw, scores);
    frmMain window(game, output, dialogs);
    window.Form_Load();
    // As the program does: the device opens in the background once the toy is up.
    QTimer::singleShot(0, [&output] { output.prepare(); });
    if (!QTest::qWaitForWindowExposed(&window))
        std::printf("window not exposed; figures may be off\n");
    std::mt19937 random(7);
    std::vector<double> mouse, key;
    for (int i = 0; i < kPresses; ++i) {
        QTest::qWait(300 + int(random() % 40));
        mouse.push_back(mousePress(window.windowHandle(), log));
    }
    for (int i = 0; i < kPresses; ++i) {
        // Land each press at another point of the poll's 40 ms cycle.
        QTest::qWait(300 + int(random() % 40));
        const auto pressed = Clock::now();
        QTest::keyClick(window.windowHandle(), Qt::Key_Z);
        if (!QTest::qWaitFor([&] { return firstSampleAfter(log, pressed) >= 0; }, 5000))
            std::printf("no sound after a key press\n");
        key.push_back(firstSampleAfter(log, pressed));
        QTest::qWait(50);
    }

    // A plain event loop, not qWait, which wakes every few milliseconds.
    QEventLoop idle;
    QTimer::singleShot(kIdleSeconds * 1000, &idle, &QEventLoop::quit);
    const long long cpuBefore = cpuNanoseconds();
    const auto idleFrom = Clock::now();
    idle.exec();
    const double idleCpu = 100.0 * double(cpuNanoseconds() - cpuBefore) / 1e9 /
                           std::chrono::duration<double>(Clock::now() - idleFrom).count();
    const double afterIdle = mousePress(window.windowHandle(), log);

    std::printf("Press to the zone's sound reaching the device (zone %d, idle menu)\n", kZone);
    Bench::printRow("mouse press -> first sample", mouse);
    Bench::printRow("key Z -> first sample (40 ms poll)", key);
    std::printf("%-40s %7.2f ms\n", "mouse press after 60 s idle -> first", afterIdle);
    std::printf("%-40s %7.3f %% of one core\n", "CPU while idling 60 s", idleCpu);
    std::printf("(goals: every press within 30 ms; idle CPU < 0.5 %%)\n");
    return 0;
}
