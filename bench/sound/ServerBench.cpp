// The output against a real sound server (PipeWire with its pulse layer, or
// Debian's PulseAudio daemon), a null sink's monitor recorded and every chunk
// timestamped. Prints, in one run: a play call to its first sample at the
// sink, in a game and after the toy idled, against a freshly started paplay;
// the server's CPU with no client, with the game's stream open and quiet,
// with the game idle and while it plays; how the mixer names the stream;
// gaps inside sounds; and what a play costs the GUI thread. Run as
//   tests/sound/sound_server.sh run [--pulseaudio] build/bench/sound/server_bench
// VURUZ_SOAK_SECONDS sets the long tone (30 s unless said); VURUZ_BENCH_LATENCIES
// the latencies tried for the desktop output, in ms ("20" unless said);
// VURUZ_BENCH_SDL=pulseaudio,pipewire adds SDL with those drivers.
#include "BenchSupport.h"
#include "sound/PulseSoundOutput.h"
#include "sound/ResWave.h"
#include "sound/SdlSoundOutput.h"
#include "sound/SoundBank.h"
#include "sound/SoundNames.h"
#include "sound/WaveImage.h"
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
#include <functional>
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

// CPU seconds the server's processes have used so far.
double serverCpuSeconds()
{
    std::ifstream pids(qgetenv("XDG_RUNTIME_DIR").toStdString() + "/server.pids");
    double seconds = 0;
    for (std::string pid; pids >> pid;) {
        std::ifstream stat("/proc/" + pid + "/stat");
        std::string line;
        std::getline(stat, line);
        if (line.empty())
            continue;
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

// The server's share of one core while `during` runs the event loop.
double serverCpu(const std::function<void()>& during)
{
    const double before = serverCpuSeconds();
    const auto from = Clock::now();
    during();
    return 100.0 * (serverCpuSeconds() - before) /
           std::chrono::duration<double>(Clock::now() - from).count();
}

double serverCpu(std::chrono::milliseconds span)
{
    return serverCpu([span] { QTest::qWait(int(span.count())); });
}

// A 440 Hz tone of `millis` as a 44100 Hz mono WAVE image: no silence inside,
// so any gap at the sink is a dropout.
QByteArray tone(int millis)
{
    const quint32 frames = quint32(44100ull * quint64(millis) / 1000u);
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

bool waitDone(bool& ended, int limitMs = 8000)
{
    return QTest::qWaitFor([&ended] { return ended; }, limitMs);
}

// Call to first sample at the sink, or nothing when the sink heard nothing.
std::optional<double> toSink(SoundOutput& output, const QByteArray& image)
{
    SoundServer::Monitor monitor;
    monitor.waitUntilRecording();
    QTest::qWait(100);
    bool ended = false;
    const auto called = Clock::now();
    output.playMemory(QStringLiteral("SNDTIPPEN"), image, 0, [&ended] { ended = true; });
    const auto at = monitor.firstSoundAfter(called, 3s);
    if (!waitDone(ended))
        std::printf("  done never ran\n");
    if (!at)
        return std::nullopt;
    return ms(*at - called);
}

void printStreamNames()
{
    std::FILE* list = popen("pactl list sink-inputs", "r");
    char line[512];
    while (list && std::fgets(line, sizeof line, list)) {
        const std::string text(line);
        for (const char* key : {"application.name", "application.icon_name", "media.name",
                                "media.role", "node.latency"}) {
            if (text.find(key) != std::string::npos) {
                std::printf("    %s", line + text.find_first_not_of(" \t"));
                break;
            }
        }
    }
    if (list)
        pclose(list);
}

struct Device {
    std::function<std::unique_ptr<SoundOutput>(SoundLog&)> make;
    std::function<void(SoundOutput&)> open;
};

void measure(const char* title, const Device& device, const QByteArray& answer, int soakSeconds)
{
    std::printf("\n%s\n", title);
    SoundLog log;
    const auto output = device.make(log);
    device.open(*output);
    QTest::qWait(500);
    std::vector<double> game, afterIdle;
    int unheard = 0;
    for (int i = 0; i < 12; ++i) {
        if (const auto at = toSink(*output, answer))
            game.push_back(*at);
        else
            ++unheard;
    }
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
        if (const auto at = toSink(*output, answer))
            afterIdle.push_back(*at);
        else
            ++unheard;
    }
    Bench::printRow("  play call -> first sample at the sink, in a game", game);
    Bench::printRow("  the same after the stream closed (reopened)", afterIdle);
    if (unheard)
        std::printf("  %d of 15 sounds never reached the sink\n", unheard);

    // Fifty short tones as a game plays its sounds, with pauses between them.
    {
        SoundServer::Monitor monitor;
        monitor.waitUntilRecording();
        const QByteArray shortTone = tone(500);
        const auto from = Clock::now();
        int torn = 0;
        for (int i = 0; i < 50; ++i) {
            const auto start = Clock::now();
            bool ended = false;
            output->playMemory(QStringLiteral("tone"), shortTone, 0, [&ended] { ended = true; });
            waitDone(ended);
            QTest::qWait(300);
            torn += monitor.dropouts(start, 1ms, 250ms) > 0 ? 1 : 0;
        }
        std::printf("  %-46s %d of 50 (%d gaps in all)\n", "0.5 s sounds torn by a gap (>= 1 ms)",
                    torn, monitor.dropouts(from, 1ms, 250ms));
    }

    SoundServer::Monitor monitor;
    monitor.waitUntilRecording();
    const auto from = Clock::now();
    bool ended = false;
    const double playing = serverCpu([&] {
        output->playMemory(QStringLiteral("tone"), tone(soakSeconds * 1000), 0,
                           [&ended] { ended = true; });
        if (!waitDone(ended, (soakSeconds + 10) * 1000))
            std::printf("  the long tone never ended\n");
    });
    QTest::qWait(200);
    std::printf("  %-46s %d in %d s\n", "dropouts (>= 1 ms of silence) in a long tone",
                monitor.dropouts(from, 1ms, 2s), soakSeconds);
    std::printf("  %-46s %7.3f %% of one core\n", "server CPU, playing the long tone", playing);
}

// What a play costs the GUI thread, per catalogue sound: now (the bank holds
// every recording converted), and as before (the conversion on every play).
void measureGuiCost(SoundOutput& output)
{
    std::vector<double> now, before;
    for (int round = 0; round < 5; ++round) {
        for (const char* name : Sounds::allNames()) {
            const QString sound = QString::fromLatin1(name);
            auto start = Clock::now();
            PlayWaveResource(output, sound, {});
            now.push_back(ms(Clock::now() - start));
            start = Clock::now();
            const auto bytes = Commands::loadResource(QStringLiteral("WAVE"), sound).value();
            const WaveImage wave =
                readWaveImage({reinterpret_cast<const unsigned char*>(bytes.constData()),
                               std::size_t(bytes.size())});
            const Pcm pcm = SoundBank::convert(wave);
            before.push_back(ms(Clock::now() - start));
            QCoreApplication::processEvents();
        }
    }
    Bench::printRow("GUI thread per play, every recording (5 rounds)", now);
    Bench::printRow("the same as before: converted on every play", before);
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
    std::printf("server: %s, a null sink\n", SoundServer::isPulseAudio()
                                                 ? "PulseAudio daemon"
                                                 : "PipeWire with pipewire-pulse and WirePlumber");
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

    const QString latencies = qEnvironmentVariableIsSet("VURUZ_BENCH_LATENCIES")
                                  ? qEnvironmentVariable("VURUZ_BENCH_LATENCIES")
                                  : QStringLiteral("20");
    for (const QString& latency : latencies.split(QLatin1Char(','))) {
        const auto wanted = std::chrono::milliseconds(latency.toInt());
        const QByteArray title =
            QStringLiteral("the desktop output (libpulse), %1 ms asked for").arg(latency).toUtf8();
        measure(
            title.constData(),
            {[wanted](SoundLog& log) { return std::make_unique<PulseSoundOutput>(&log, wanted); },
             [](SoundOutput& output) {
                 static_cast<PulseSoundOutput&>(output).prepare();
                 static_cast<PulseSoundOutput&>(output).deviceAvailable();
             }},
            answer, soakSeconds);
    }
    const QByteArray sdlDrivers = qgetenv("VURUZ_BENCH_SDL");
    if (!sdlDrivers.isEmpty()) {
        for (const QByteArray& driver : sdlDrivers.split(',')) {
            qputenv("SDL_AUDIODRIVER", driver);
            const QByteArray title = "SDL driver " + driver + ", " +
                                     QByteArray::number(SdlSoundOutput::kDeviceFrames) +
                                     "-frame device buffer";
            measure(title.constData(),
                    {[](SoundLog& log) { return std::make_unique<SdlSoundOutput>(&log); },
                     [](SoundOutput& output) {
                         static_cast<SdlSoundOutput&>(output).prepare();
                         static_cast<SdlSoundOutput&>(output).deviceAvailable();
                     }},
                    answer, soakSeconds);
        }
        qunsetenv("SDL_AUDIODRIVER");
    }

    std::printf("\n");
    {
        PulseSoundOutput output;
        output.prepare();
        output.deviceAvailable();
        QTest::qWait(1000); // the bank converts the catalogue meanwhile
        measureGuiCost(output);
    }
    SoundServer::kill();
    return 0;
}
