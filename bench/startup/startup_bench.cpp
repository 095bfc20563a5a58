// Start-up and idle figures of the real program against a bare Qt window:
// time from exec until the window is mapped (and, for the game, shaped),
// time until its first frame is drawn on the screen, peak resident memory,
// and the CPU the game uses while it idles.
// Needs an X display (run it under xvfb-run).
#include "BenchSupport.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <tuple>
#include <unistd.h>
#include <utility>
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

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The screen as it is with no window of ours on it: what a window shows
// where it has drawn nothing yet (Qt's windows have no background of their
// own).
struct Screen {
    XImage* image = nullptr;
    explicit Screen(Display* dpy)
    {
        const Window root = DefaultRootWindow(dpy);
        XWindowAttributes a{};
        XGetWindowAttributes(dpy, root, &a);
        image =
            XGetImage(dpy, root, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
    }
    ~Screen()
    {
        if (image)
            XDestroyImage(image);
    }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;
};

// Whether the window has drawn its first frame: most of a small patch at
// its centre (inside the toy's shape) differs from the screen beneath.
bool hasDrawn(Display* dpy, Window w, const Screen& screen)
{
    constexpr int kPatch = 8;
    XWindowAttributes a{};
    if (!screen.image || !XGetWindowAttributes(dpy, w, &a))
        return false;
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(dpy, w, DefaultRootWindow(dpy), 0, 0, &rootX, &rootY, &child);
    const int x = a.width / 2 - kPatch / 2, y = a.height / 2 - kPatch / 2;
    XImage* patch = XGetImage(dpy, w, x, y, kPatch, kPatch, AllPlanes, ZPixmap);
    if (!patch)
        return false;
    int differing = 0;
    for (int py = 0; py < kPatch; ++py) {
        for (int px = 0; px < kPatch; ++px) {
            const int sx = rootX + x + px, sy = rootY + y + py;
            const bool onScreen =
                sx >= 0 && sy >= 0 && sx < screen.image->width && sy < screen.image->height;
            if (!onScreen || XGetPixel(patch, px, py) != XGetPixel(screen.image, sx, sy))
                ++differing;
        }
    }
    XDestroyImage(patch);
    return differing * 4 >= kPatch * kPatch * 3;
}

struct Shown {
    std::optional<double> mappedMs;
    std::optional<double> drawnMs;
};

// Waits for a top-level window to be mapped (and shaped, when asked), then
// for its first frame.
Shown waitForWindow(Display* dpy, const Launch& l, bool needShape, const Screen* screen)
{
    const auto deadline = l.started + std::chrono::seconds(20);
    std::vector<Window> mapped;
    Shown shown;
    Window window = 0;
    while (Clock::now() < deadline) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == MapNotify)
                mapped.push_back(ev.xmap.window);
        }
        for (Window w : mapped) {
            if (!shown.mappedMs && (!needShape || isShaped(dpy, w))) {
                shown.mappedMs = msSince(l.started);
                window = w;
            }
        }
        if (shown.mappedMs && (!screen || hasDrawn(dpy, window, *screen))) {
            if (screen)
                shown.drawnMs = msSince(l.started);
            return shown;
        }
        pollfd pfd{ConnectionNumber(dpy), POLLIN, 0};
        poll(&pfd, 1, mapped.empty() ? 50 : 1);
    }
    return shown;
}

// Nanoseconds the process has run on a CPU, from the scheduler's own count
// (finer than the 10 ms clock ticks of /proc/<pid>/stat).
long long cpuNanoseconds(pid_t pid)
{
    long long total = 0;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator(tasks, ec)) {
        FILE* f = std::fopen((task.path() / "schedstat").c_str(), "r");
        if (!f)
            continue;
        long long ns = 0;
        if (std::fscanf(f, "%lld", &ns) == 1)
            total += ns;
        std::fclose(f);
    }
    return total;
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
    std::vector<double> drawnMs;
    std::vector<long> peakKiB;
};

Figures measureOne(Display* dpy, const char* binary, bool needShape, const std::string& runtimeDir,
                   const Screen& screen)
{
    Figures f;
    XSync(dpy, True); // drop events of earlier runs
    const Launch l = launch(binary, runtimeDir);
    const Shown shown = waitForWindow(dpy, l, needShape, &screen);
    if (shown.mappedMs)
        f.mapMs.push_back(*shown.mappedMs);
    if (shown.drawnMs)
        f.drawnMs.push_back(*shown.drawnMs);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    f.peakKiB.push_back(stopAndPeakKiB(l.pid));
    return f;
}

// Runs the two programs alternately, after one warm-up run each, so that
// whatever else the machine does weighs on both alike.
std::pair<Figures, Figures> measure(Display* dpy, int runs, const std::string& runtimeDir)
{
    const Screen screen(dpy);
    measureOne(dpy, BARE_BINARY, false, runtimeDir, screen);
    measureOne(dpy, GAME_BINARY, true, runtimeDir, screen);
    Figures bare, game;
    for (int i = 0; i < runs; ++i) {
        for (auto [figures, binary, shaped] :
             {std::tuple{&bare, BARE_BINARY, false}, std::tuple{&game, GAME_BINARY, true}}) {
            const Figures one = measureOne(dpy, binary, shaped, runtimeDir, screen);
            figures->mapMs.insert(figures->mapMs.end(), one.mapMs.begin(), one.mapMs.end());
            figures->drawnMs.insert(figures->drawnMs.end(), one.drawnMs.begin(), one.drawnMs.end());
            figures->peakKiB.insert(figures->peakKiB.end(), one.peakKiB.begin(), one.peakKiB.end());
        }
    }
    return {bare, game};
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
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

    const auto [bare, game] = measure(dpy, runs, runtimeDir);

    // Idle CPU: the poll runs, nothing plays.
    const Launch l = launch(GAME_BINARY, runtimeDir);
    XSync(dpy, True);
    waitForWindow(dpy, l, true, nullptr);
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const long long before = cpuNanoseconds(l.pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const long long after = cpuNanoseconds(l.pid);
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    stopAndPeakKiB(l.pid);
    const double idlePercent = 100.0 * double(after - before) / 1e9 / wall;

    auto maxOf = [](const std::vector<long>& v) {
        return v.empty() ? 0L : *std::max_element(v.begin(), v.end());
    };
    const double bareMs = Bench::median(bare.mapMs), gameMs = Bench::median(game.mapMs);
    std::printf("%-44s %12s %12s %8s\n", "figure", "bare Qt", "game", "ratio");
    std::printf("%-44s %12.1f %12.1f %8.2f\n", "exec to mapped window, median ms", bareMs, gameMs,
                bareMs > 0 ? gameMs / bareMs : 0.0);
    const double bareDrawn = Bench::median(bare.drawnMs), gameDrawn = Bench::median(game.drawnMs);
    std::printf("%-44s %12.1f %12.1f %8.2f\n", "exec to first frame drawn, median ms", bareDrawn,
                gameDrawn, bareDrawn > 0 ? gameDrawn / bareDrawn : 0.0);
    std::printf("%-44s %12ld %12ld %8.2f\n", "peak resident memory, KiB", maxOf(bare.peakKiB),
                maxOf(game.peakKiB),
                maxOf(bare.peakKiB) ? double(maxOf(game.peakKiB)) / double(maxOf(bare.peakKiB))
                                    : 0.0);
    std::printf("%-44s %12s %12.3f\n", "idle CPU over 10 s, % of one core", "-", idlePercent);
    std::printf(
        "(%d runs each; goals: start-up within 1.3 x the bare program, idle CPU < 0.5 %%)\n", runs);
    std::filesystem::remove_all(runtimeDir);
    XCloseDisplay(dpy);
    return 0;
}
