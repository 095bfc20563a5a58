#include "startup/ScreenPixels.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

// The X headers come last: their macros clash with Qt's names.
#include <X11/Xlib.h>

namespace Commands {
namespace {

Display* xDisplay(const QWidget& window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        !window.testAttribute(Qt::WA_WState_Created))
        return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

} // namespace

bool screensOfOneScale()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (const QScreen* screen : screens) {
        if (screen->devicePixelRatio() != screens.first()->devicePixelRatio())
            return false;
    }
    return true;
}

QPoint toDevicePixels(QPointF logical)
{
    const QScreen* screen = QGuiApplication::screenAt(logical.toPoint());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return logical.toPoint();
    const QPointF corner = screen->geometry().topLeft();
    return (corner + (logical - corner) * screen->devicePixelRatio()).toPoint();
}

std::optional<QPoint> windowInDevicePixels(const QWidget& window)
{
    Display* display = xDisplay(window);
    if (!display)
        return std::nullopt;
    int x = 0;
    int y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(display, Window(window.winId()), DefaultRootWindow(display), 0, 0,
                               &x, &y, &child))
        return std::nullopt;
    return QPoint(x, y);
}

bool moveInDevicePixels(QWidget& window, QPoint topLeft)
{
    Display* display = xDisplay(window);
    if (!display)
        return false;
    // Qt learns the new place from the server, as after a window manager's move.
    XMoveWindow(display, Window(window.winId()), topLeft.x(), topLeft.y());
    XFlush(display);
    return true;
}

bool onXWayland(const QWidget& window)
{
    Display* display = xDisplay(window);
    int opcode = 0;
    int event = 0;
    int error = 0;
    return display && XQueryExtension(display, "XWAYLAND", &opcode, &event, &error);
}

} // namespace Commands
