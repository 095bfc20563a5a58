#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

// The headless sound server that tests/sound/sound_server.sh runs (PipeWire,
// or Debian's PulseAudio daemon), and a recording of a null sink's monitor,
// every chunk timestamped on arrival.
namespace SoundServer {

using Clock = std::chrono::steady_clock;

// Empty when the server can be driven; else why not.
inline QString unavailable()
{
    if (!qEnvironmentVariableIsEmpty("VURUZ_SOUND_SERVER_MISSING"))
        return QStringLiteral("no %1 on this machine (scripts/deps.sh test installs it)")
            .arg(qEnvironmentVariable("VURUZ_SOUND_SERVER_MISSING"));
    if (qEnvironmentVariableIsEmpty("VURUZ_SOUND_SERVER"))
        return QStringLiteral("not run under tests/sound/sound_server.sh");
    return {};
}

inline bool control(const char* command)
{
    const QByteArray line = qgetenv("VURUZ_SOUND_SERVER") + ' ' + command;
    return std::system(line.constData()) == 0;
}
inline bool start()
{
    return control("start");
}
// The server without its session manager: nothing links a new stream, so
// an output's opening of its device never ends while it runs.
inline bool startUnmanaged()
{
    return control("start-unmanaged");
}
inline bool kill()
{
    return control("kill");
}
// Stops every server process as a busy machine or a suspend would, and lets
// them go on.
inline bool stop()
{
    return control("stop");
}
inline bool cont()
{
    return control("cont");
}
inline bool isPulseAudio()
{
    return qgetenv("VURUZ_SOUND_SERVER_KIND") == "pulseaudio";
}
// Runs pactl with `arguments` against the server; its output, or nullopt when it failed.
inline std::optional<QByteArray> pactl(const QByteArray& arguments)
{
    std::FILE* pipe = popen(("timeout 5 pactl " + arguments + " 2>/dev/null").constData(), "r");
    if (!pipe)
        return std::nullopt;
    QByteArray out;
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        out.append(buffer, qsizetype(got));
    return pclose(pipe) == 0 ? std::optional(out) : std::nullopt;
}

// Spawns `argv` with its standard output on a pipe; the pid, or -1.
inline pid_t spawnReading(std::vector<const char*> argv, int& readEnd)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char* const*>(argv.data()),
                     environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    readEnd = fds[0];
    return pid;
}

// Records the sink's monitor from construction on. A sample louder than
// `kLoud` is sound; the server's silence is exact zeros.
class Monitor {
  public:
    static constexpr int kRate = 44100;
    static constexpr int kLoud = 300;

    explicit Monitor(const char* sink = "vuruz_test")
    {
        const QByteArray device = QByteArray(sink) + ".monitor";
        m_pid = spawnReading({"parec", "-d", device.constData(), "--raw", "--format=s16le",
                              "--rate=44100", "--channels=2", "--latency-msec=2"},
                             m_fd);
        if (m_pid > 0)
            m_reader = std::thread([this] { read(); });
    }
    ~Monitor()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_reader.joinable())
            m_reader.join();
        close(m_fd);
    }
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    // False once the recorder has gone (its server went).
    bool recording() const
    {
        std::lock_guard lock(m_mutex);
        return m_pid > 0 && !m_ended;
    }
    // True once the monitor delivers samples.
    bool waitUntilRecording(std::chrono::milliseconds limit = std::chrono::seconds(5))
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_chunks > 0 || m_ended; });
    }
    // When the first sound after `after` reached the sink, if it did within `limit`.
    std::optional<Clock::time_point> firstSoundAfter(Clock::time_point after,
                                                     std::chrono::milliseconds limit)
    {
        std::unique_lock lock(m_mutex);
        std::optional<Clock::time_point> found;
        m_changed.wait_for(lock, limit, [&] {
            for (const auto at : m_loud) {
                if (at >= after) {
                    found = at;
                    return true;
                }
            }
            return m_ended;
        });
        return found;
    }
    // How many gaps of silence lie between sound heard after `from`, each at
    // least `gap` long and shorter than `longest`: dropouts inside a sound.
    int dropouts(Clock::time_point from, std::chrono::microseconds gap,
                 std::chrono::microseconds longest) const
    {
        std::lock_guard lock(m_mutex);
        int count = 0;
        for (const auto& [start, length] : m_quiet) {
            if (start >= from && length >= gap && length < longest)
                ++count;
        }
        return count;
    }

  private:
    void read()
    {
        std::vector<qint16> buffer(4096);
        std::size_t quietFrames = 0;
        Clock::time_point quietFrom;
        bool heardAny = false;
        while (true) {
            const ssize_t got = ::read(m_fd, buffer.data(), buffer.size() * sizeof(qint16));
            const auto now = Clock::now();
            if (got <= 0)
                break;
            const std::size_t frames = std::size_t(got) / 4;
            std::lock_guard lock(m_mutex);
            ++m_chunks;
            bool loudInChunk = false;
            for (std::size_t i = 0; i < frames; ++i) {
                const bool loud = std::abs(buffer[2 * i]) > kLoud;
                const auto at = now - std::chrono::microseconds((frames - i) * 1'000'000 / kRate);
                if (loud) {
                    if (!loudInChunk) {
                        m_loud.push_back(at);
                        loudInChunk = true;
                    }
                    if (heardAny && quietFrames > 0)
                        m_quiet.emplace_back(
                            quietFrom, std::chrono::microseconds(quietFrames * 1'000'000 / kRate));
                    heardAny = true;
                    quietFrames = 0;
                } else if (buffer[2 * i] == 0) {
                    if (quietFrames++ == 0)
                        quietFrom = at;
                } else {
                    quietFrames = 0;
                }
            }
            m_changed.notify_all();
        }
        std::lock_guard lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    }

    pid_t m_pid = -1;
    int m_fd = -1;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Clock::time_point> m_loud; // the first loud frame of each chunk that has one
    std::vector<std::pair<Clock::time_point, std::chrono::microseconds>> m_quiet;
    std::size_t m_chunks = 0;
    bool m_ended = false;
};

} // namespace SoundServer
