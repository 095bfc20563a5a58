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

std::optional<std::pair<QPoint, QPoint>> pointerAndWindowInDevicePixels(const QWidget& window)
{
    Display* display = xDisplay(window);
    if (!display)
        return std::nullopt;
    Window root = 0;
    Window child = 0;
    QPoint pointer;
    QPoint inside;
    unsigned int buttons = 0;
    if (!XQueryPointer(display, Window(window.winId()), &root, &child, &pointer.rx(), &pointer.ry(),
                       &inside.rx(), &inside.ry(), &buttons))
        return std::nullopt;
    return std::make_pair(pointer, pointer - inside);
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

} // namespace Commands
