#include "startup/WindowManagerHints.h"

#include <QGuiApplication>
#include <algorithm>
#include <array>
#include <optional>
#include <vector>

// The X headers come last: their macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace Commands::Hints {
namespace {

Display* xDisplay()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

// A request about `window` to the window manager, the way the window
// manager specification has clients send them: to the root window.
void askWindowManager(Display* display, Window window, const char* message,
                      const std::array<long, 5>& data)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, message, False);
    event.xclient.format = 32;
    std::copy(data.begin(), data.end(), event.xclient.data.l);
    XSendEvent(display, DefaultRootWindow(display), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

std::optional<unsigned long> cardinalOf(Display* display, Window window, const char* property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 1, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) != Success)
        return std::nullopt;
    std::optional<unsigned long> value;
    if (data && format == 32 && count == 1)
        value = *reinterpret_cast<unsigned long*>(data) & 0xFFFFFFFFul;
    if (data)
        XFree(data);
    return value;
}

// A property holding a list of atoms, such as a window's state; empty where
// it is not set.
std::vector<long> atomsOf(Display* display, Window window, const char* property)
{
    std::vector<long> atoms;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, property, False), 0, 4096, False,
                           XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data) {
        if (format == 32)
            atoms.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
        XFree(data);
    }
    return atoms;
}

// Whether the window manager names `name` among the requests it serves.
bool supports(Display* display, const char* name)
{
    const std::vector<long> served = atomsOf(display, DefaultRootWindow(display), "_NET_SUPPORTED");
    return std::find(served.begin(), served.end(), long(XInternAtom(display, name, False))) !=
           served.end();
}

} // namespace

void skipTaskbar(WId window)
{
    Display* display = xDisplay();
    if (!display)
        return;
    const Window id = Window(window);
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    std::vector<long> atoms = atomsOf(display, id, "_NET_WM_STATE");
    for (const char* name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        const long atom = long(XInternAtom(display, name, False));
        if (std::find(atoms.begin(), atoms.end(), atom) == atoms.end())
            atoms.push_back(atom);
    }
    XChangeProperty(display, id, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(atoms.data()), int(atoms.size()));
    XFlush(display);
}

void toCurrentDesktop(WId window)
{
    Display* display = xDisplay();
    if (!display)
        return;
    const Window id = Window(window);
    const auto current = cardinalOf(display, DefaultRootWindow(display), "_NET_CURRENT_DESKTOP");
    const auto own = cardinalOf(display, id, "_NET_WM_DESKTOP");
    if (current && own && *own != *current && *own != 0xFFFFFFFFul) {
        askWindowManager(display, id, "_NET_WM_DESKTOP", {long(*current), 2, 0, 0, 0});
        XFlush(display);
    }
}

void askFocusForPlayer(WId window)
{
    Display* display = xDisplay();
    if (!display)
        return;
    askWindowManager(display, Window(window), "_NET_ACTIVE_WINDOW", {2, CurrentTime, 0, 0, 0});
    XFlush(display);
}

bool startMove(WId window, QPoint pressedAt)
{
    Display* display = xDisplay();
    if (!display || !supports(display, "_NET_WM_MOVERESIZE"))
        return false;
    // The window manager takes the pointer from here, so the press's own
    // hold on it goes first.
    XUngrabPointer(display, CurrentTime);
    constexpr long kMove = 8;
    constexpr long kFromApplication = 1;
    askWindowManager(display, Window(window), "_NET_WM_MOVERESIZE",
                     {pressedAt.x(), pressedAt.y(), kMove, Button1, kFromApplication});
    XFlush(display);
    return true;
}

} // namespace Commands::Hints
