// Start-up and idle figures of the real program against a bare Qt window:
// time from exec until the window is mapped (and, for the game, shaped),
// peak resident memory, and the CPU the game uses while it idles.
// Needs an X display (run it under xvfb-run).
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Launch {
    pid_t pid = -1;
    Clock::time_point started;
};

Launch launch(const char* binary, const std::string& runtimeDir)
{
    Launch l;
    l.started = Clock::now();
    l.pid = fork();
    if (l.pid == 0) {
        setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        execl(binary, binary, static_cast<char*>(nullptr));
        _exit(127);
    }
    return l;
}

bool isShaped(Display* dpy, Window w)
{
    Bool boundingShaped = False, clipShaped = False;
    int xb, yb, xc, yc;
    unsigned wb, hb, wc, hc;
    XShapeQueryExtents(dpy, w, &boundingShaped, &xb, &yb, &wb, &hb, &clipShaped, &xc, &yc, &wc,
                       &hc);
    return boundingShaped;
}

// Waits for a top-level window to be mapped (and shaped, when asked).
std::optional<double> waitForWindow(Display* dpy, const Launch& l, bool needShape)
{
    const auto deadline = l.started + std::chrono::seconds(20);
    std::vector<Window> mapped;
    while (Clock::now() < deadline) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify)
                mapped.push_back(ev.xmap.window);
        }
        for (Window w : mapped) {
            if (!needShape || isShaped(dpy, w))
                return std::chrono::duration<double, std::milli>(Clock::now() - l.started).count();
        }
        pollfd pfd{ConnectionNumber(dpy), POLLIN, 0};
        poll(&pfd, 1, mapped.empty() ? 50 : 1);
    }
    return std::nullopt;
}

long cpuTicks(pid_t pid)
{
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f)
        return -1;
    char buf[1024] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = 0;
    const char* p = std::strrchr(buf, ')');
    if (!p)
        return -1;
    long utime = 0, stime = 0;
    // Fields after the command name: state is field 3, utime 14, stime 15.
    std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %ld %ld", &utime, &stime);
    return utime + stime;
}

long stopAndPeakKiB(pid_t pid)
{
    kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    return usage.ru_maxrss;
}

struct Figures {
    std::vector<double> mapMs;
    std::vector<long> peakKiB;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

Figures measure(Display* dpy, const char* binary, bool needShape, int runs,
                const std::string& runtimeDir)
{
    Figures f;
    for (int i = 0; i < runs; ++i) {
        XSync(dpy, True);  // drop events of earlier runs
        const Launch l = launch(binary, runtimeDir);
        if (auto ms = waitForWindow(dpy, l, needShape))
            f.mapMs.push_back(*ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        f.peakKiB.push_back(stopAndPeakKiB(l.pid));
    }
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "startup_bench: no X display (run under xvfb-run)\n");
        return 1;
    }
    // Windows come and go with the programs under test; a query on one that
    // is already gone is no error here.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);

    char tmpl[] = "/tmp/vuruz-bench-XXXXXX";
    const std::string runtimeDir = mkdtemp(tmpl);

    const Figures bare = measure(dpy, BARE_BINARY, false, runs, runtimeDir);
    const Figures game = measure(dpy, GAME_BINARY, true, runs, runtimeDir);

    // Idle CPU: the poll runs, nothing plays.
    const Launch l = launch(GAME_BINARY, runtimeDir);
    XSync(dpy, True);
    waitForWindow(dpy, l, true);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long before = cpuTicks(l.pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const long after = cpuTicks(l.pid);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    stopAndPeakKiB(l.pid);
    const double idlePercent =
        100.0 * double(after - before) / double(sysconf(_SC_CLK_TCK)) / wall;

    auto maxOf = [](const std::vector<long>& v) {
        return v.empty() ? 0L : *std::max_element(v.begin(), v.end());
    };
    const double bareMs = median(bare.mapMs), gameMs = median(game.mapMs);
    std::printf("%-44s %12s %12s %8s\n", "figure", "bare Qt", "game", "ratio");
    std::printf("%-44s %12.1f %12.1f %8.2f\n", "exec to mapped window, median ms", bareMs, gameMs,
                bareMs > 0 ? gameMs / bareMs : 0.0);
    std::printf("%-44s %12ld %12ld %8.2f\n", "peak resident memory, KiB", maxOf(bare.peakKiB),
                maxOf(game.peakKiB),
                maxOf(bare.peakKiB) ? double(maxOf(game.peakKiB)) / double(maxOf(bare.peakKiB))
                                    : 0.0);
    std::printf("%-44s %12s %12.3f\n", "idle CPU over 10 s, % of one core", "-", idlePercent);
    std::printf("(%d runs each; goals: start-up within 1.5 x the bare program, idle CPU < 0.5 %%)\n",
                runs);
    std::filesystem::remove_all(runtimeDir);
    XCloseDisplay(dpy);
    return 0;
}
