// Prints the delay from a mouse press on a zone, and from a key press, to the
// first sample of that zone's sound reaching the audio device: the real main
// window, the real key filter and poll, the real SDL output on the disk
// driver (which paces itself like a sound card). Every press is made on a
// quiet toy, once the sounds of the one before have ended; a press made while
// the toy still speaks is timed apart, from the end of what it waited for.
// Then the GUI thread's cost of one play call, over every recording; then the
// toy idles for a minute in a plain event loop, as the program does between
// games: the CPU it uses meanwhile, and the first press after it. Run under a
// display.
#include "BenchSupport.h"
#include "game/Rnd.h"
#include "game/ToyGame.h"
#include "game/frmMain.h"
#include "sound/ResWave.h"
#include "sound/SdlSoundOutput.h"
#include "sound/SoundNames.h"
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

// True once every sound played so far has ended.
bool quiet(const SoundLog& log)
{
    const auto plays = log.plays();
    return std::all_of(plays.begin(), plays.end(),
                       [](const SoundLog::Play& play) { return play.how.has_value(); });
}

// Waits for a quiet toy, then a little more, landing the press at another
// point of the poll's 40 ms cycle each time.
void waitQuiet(const SoundLog& log, std::mt19937& random)
{
    if (!QTest::qWaitFor([&] { return quiet(log); }, 10000))
        std::printf("the toy never fell quiet\n");
    QTest::qWait(20 + int(random() % 40));
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
    std::vector<double> mouse, key, duringSound;
    for (int i = 0; i < kPresses; ++i) {
        waitQuiet(log, random);
        mouse.push_back(mousePress(window.windowHandle(), log));
    }
    for (int i = 0; i < kPresses; ++i) {
        waitQuiet(log, random);
        const auto pressed = Clock::now();
        QTest::keyClick(window.windowHandle(), Qt::Key_Z);
        if (!QTest::qWaitFor([&] { return firstSampleAfter(log, pressed) >= 0; }, 5000))
            std::printf("no sound after a key press\n");
        key.push_back(firstSampleAfter(log, pressed));
    }
    // A press while the announcement still plays waits for its "SOLO" to end,
    // as the toy did; timed from that end.
    for (int i = 0; i < kPresses / 2; ++i) {
        waitQuiet(log, random);
        mousePress(window.windowHandle(), log);
        QTest::qWait(50 + int(random() % 100));
        const auto pressed = Clock::now();
        QTest::mousePress(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, kZoneCentre);
        QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, kZoneCentre);
        if (!QTest::qWaitFor([&] { return firstSampleAfter(log, pressed) >= 0; }, 5000))
            continue;
        const auto plays = log.plays();
        const auto solo = std::find_if(plays.rbegin(), plays.rend(), [&](const auto& play) {
            return play.source == QLatin1String("SOLO") && play.how && play.ended <= Clock::now();
        });
        if (solo != plays.rend())
            duringSound.push_back(
                firstSampleAfter(log, pressed) -
                std::chrono::duration<double, std::milli>(solo->ended - pressed).count());
    }

    // What one play call costs the GUI thread, for every recording.
    std::vector<double> playCost;
    waitQuiet(log, random);
    for (const char* name : Sounds::allNames()) {
        const auto before = Clock::now();
        ResWave::PlayWaveResource(output, QString::fromLatin1(name), [] {});
        playCost.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        QTest::qWait(5);
    }
    ResWave::PlayWaveResource(output, QString::fromLatin1(Sounds::kSolo), [] {});
    waitQuiet(log, random);

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
    Bench::printRow("key Z -> first sample", key);
    Bench::printRow("press during SOLO: its end -> first", duringSound);
    Bench::printRow("play call on the GUI thread", playCost);
    std::printf("%-40s %7.2f ms\n", "mouse press after 60 s idle -> first", afterIdle);
    std::printf("%-40s %7.3f %% of one core\n", "CPU while idling 60 s", idleCpu);
    std::printf("(goals: every press within 30 ms; idle CPU < 0.5 %%)\n");
    return 0;
}
