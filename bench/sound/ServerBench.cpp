// The output against a real sound server: a headless PipeWire with a null
// sink, its monitor recorded and every chunk timestamped. Prints, in one run:
// a play call to its first sample at the sink, in a game and after the toy
// idled, against a freshly started paplay; the server's CPU with no client,
// with the game's stream open and quiet, and with the game idle; how the
// mixer names the stream; and dropouts in a long sound. For both of SDL's
// server drivers. Run as
//   tests/sound/sound_server.sh run build/bench/sound/server_bench
// (VURUZ_SOAK_SECONDS sets the long sound, 30 s unless said).
#include "BenchSupport.h"
#include "sound/SdlSoundOutput.h"
#include "startup/Resources.h"
#include "support/SoundLog.h"
#include "support/SoundServer.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

using namespace ResWave;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// CPU seconds the server's three processes have used so far.
double serverCpuSeconds()
{
    std::ifstream pids(qgetenv("XDG_RUNTIME_DIR").toStdString() + "/server.pids");
    double seconds = 0;
    for (std::string pid; pids >> pid;) {
        std::ifstream stat("/proc/" + pid + "/stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        unsigned long long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14)
                utime = std::stoull(field);
            if (i == 15)
                stime = std::stoull(field);
        }
        seconds += double(utime + stime) / double(sysconf(_SC_CLK_TCK));
    }
    return seconds;
}

// The server's share of one core over `span`, the event loop running.
double serverCpu(std::chrono::milliseconds span)
{
    const double before = serverCpuSeconds();
    const auto from = Clock::now();
    QTest::qWait(int(span.count()));
    return 100.0 * (serverCpuSeconds() - before) /
           std::chrono::duration<double>(Clock::now() - from).count();
}

// A 440 Hz tone of `seconds` as a 44100 Hz mono WAVE image.
QByteArray tone(int seconds)
{
    const quint32 frames = 44100u * quint32(seconds);
    QByteArray b;
    auto le = [&b](quint32 v, int n) {
        for (int i = 0; i < n; ++i)
            b.append(char((v >> (8 * i)) & 0xff));
    };
    b.append("RIFF");
    le(36 + frames * 2, 4);
    b.append("WAVEfmt ");
    le(16, 4);
    le(1, 2);
    le(1, 2);
    le(44100, 4);
    le(88200, 4);
    le(2, 2);
    le(16, 2);
    b.append("data");
    le(frames * 2, 4);
    for (quint32 i = 0; i < frames; ++i)
        le(quint32(quint16(qint16(8000 * std::sin(2 * M_PI * 440 * i / 44100.0)))), 2);
    return b;
}

// Call to first sample at the sink, or -1 when the sink heard nothing.
double toSink(SdlSoundOutput& output, const QByteArray& image)
{
    SoundServer::Monitor monitor;
    monitor.waitUntilRecording();
    QTest::qWait(100);
    bool ended = false;
    const auto called = Clock::now();
    output.playMemory(QStringLiteral("SNDTIPPEN"), image, 0, [&ended] { ended = true; });
    const auto at = monitor.firstSoundAfter(called, 3s);
    if (!QTest::qWaitFor([&ended] { return ended; }, 5000))
        std::printf("done never ran\n");
    return at ? ms(*at - called) : -1;
}

void printStreamNames()
{
    std::FILE* list = popen("pactl list sink-inputs", "r");
    char line[512];
    while (list && std::fgets(line, sizeof line, list)) {
        const std::string text(line);
        if (text.find("application.name") != std::string::npos ||
            text.find("application.icon_name") != std::string::npos ||
            text.find("media.name") != std::string::npos ||
            text.find("node.name") != std::string::npos)
            std::printf("    %s", line + text.find_first_not_of(" \t"));
    }
    if (list)
        pclose(list);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const QString why = SoundServer::unavailable();
    if (!why.isEmpty()) {
        std::printf("no sound server: %s\n", why.toLocal8Bit().constData());
        return 1;
    }
    const int soakSeconds = qEnvironmentVariableIsSet("VURUZ_SOAK_SECONDS")
                                ? qEnvironmentVariableIntValue("VURUZ_SOAK_SECONDS")
                                : 30;
    const QByteArray answer =
        Commands::loadResource(QStringLiteral("WAVE"), QStringLiteral("SNDTIPPEN")).value();
    QTemporaryDir temp;
    const QString wavPath = temp.filePath(QStringLiteral("answer.wav"));
    {
        QFile file(wavPath);
        file.open(QIODevice::WriteOnly);
        file.write(answer);
    }
    SoundServer::start();
    QTest::qWait(2000);
    std::printf("server: PipeWire with pipewire-pulse and WirePlumber, a null sink\n");
    std::printf("%-48s %7.3f %% of one core\n", "server CPU, no client (10 s)", serverCpu(10s));

    std::vector<double> paplay;
    for (int i = 0; i < 12; ++i) {
        SoundServer::Monitor monitor;
        monitor.waitUntilRecording();
        QTest::qWait(300);
        const auto called = Clock::now();
        const QByteArray path = wavPath.toLocal8Bit();
        int out = -1;
        const pid_t pid = SoundServer::spawnReading({"paplay", path.constData()}, out);
        const auto at = monitor.firstSoundAfter(called, 3s);
        waitpid(pid, nullptr, 0);
        close(out);
        if (at)
            paplay.push_back(ms(*at - called));
    }
    Bench::printRow("paplay started -> first sample at the sink", paplay);

    for (const char* driver : {"pulseaudio", "pipewire", ""}) {
        std::printf("\nSDL driver %s, %d-frame device buffer\n",
                    *driver ? driver : "as the output chooses", SdlSoundOutput::kDeviceFrames);
        if (*driver)
            qputenv("SDL_AUDIODRIVER", driver);
        else
            qunsetenv("SDL_AUDIODRIVER");
        SoundLog log;
        SdlSoundOutput output(&log);
        output.deviceAvailable();
        QTest::qWait(500);
        std::vector<double> game, afterIdle;
        for (int i = 0; i < 12; ++i)
            game.push_back(toSink(output, answer));
        std::printf("  stream as the mixer lists it:\n");
        printStreamNames();
        // The quiet spell before the stream closes is 4 s; measured inside it.
        std::printf("  %-46s %7.3f %% of one core\n", "server CPU, stream open and quiet (3 s)",
                    serverCpu(3s));
        log.waitForDevice(false);
        std::printf("  %-46s %7.3f %% of one core\n", "server CPU, game idle, stream closed (10 s)",
                    serverCpu(10s));
        for (int i = 0; i < 3; ++i) {
            log.waitForDevice(false);
            QTest::qWait(500);
            afterIdle.push_back(toSink(output, answer));
            log.waitForDevice(true);
        }
        Bench::printRow("  play call -> first sample at the sink, in a game", game);
        Bench::printRow("  the same after the stream closed (reopened)", afterIdle);

        SoundServer::Monitor monitor;
        monitor.waitUntilRecording();
        const auto from = Clock::now();
        bool ended = false;
        output.playMemory(QStringLiteral("tone"), tone(soakSeconds), 0, [&ended] { ended = true; });
        if (!QTest::qWaitFor([&ended] { return ended; }, (soakSeconds + 5) * 1000))
            std::printf("  the long tone never ended\n");
        QTest::qWait(200);
        std::printf("  %-46s %d in %d s\n", "dropouts (>= 1 ms of silence) in a long tone",
                    monitor.dropouts(from, 1ms, 2s), soakSeconds);
    }
    SoundServer::kill();
    return 0;
}
