#include "support/XProbe.h"

#include <QGuiApplication>
#include <QWidget>

// The X headers come last: they define macros (None, Bool, Status...) that
// clash with Qt's own names.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>

namespace XProbe {
namespace {

Display* display()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

} // namespace

bool available()
{
    Display* const d = display();
    int eventBase = 0;
    int errorBase = 0;
    return d && XShapeQueryExtension(d, &eventBase, &errorBase);
}

bool canSendInput()
{
    Display* const d = display();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return d && XTestQueryExtension(d, &eventBase, &errorBase, &major, &minor);
}

std::optional<std::vector<QRect>> boundingRects(QWidget& window)
{
    Display* const d = display();
    if (!d)
        return std::nullopt;
    // Qt's own requests share this connection, so a round trip puts them
    // all before the question.
    XSync(d, False);
    int count = 0;
    int ordering = 0;
    XRectangle* const rects = XShapeGetRectangles(d, static_cast<Window>(window.winId()),
                                                  ShapeBounding, &count, &ordering);
    std::vector<QRect> result;
    for (int i = 0; i < count; ++i)
        result.emplace_back(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    return result;
}

void click(QWidget& window, QPoint pos, int xButton)
{
    Display* const d = display();
    if (!d)
        return;
    // The server counts device pixels; on one screen at the origin they are
    // the logical ones times the ratio.
    const QPoint screenPos = window.mapToGlobal(pos) * window.devicePixelRatio();
    XTestFakeMotionEvent(d, -1, screenPos.x(), screenPos.y(), CurrentTime);
    XTestFakeButtonEvent(d, static_cast<unsigned>(xButton), True, CurrentTime);
    XTestFakeButtonEvent(d, static_cast<unsigned>(xButton), False, CurrentTime);
    XSync(d, False);
}

void key(const char* keysym, bool down)
{
    Display* const d = display();
    if (!d)
        return;
    const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(keysym));
    XTestFakeKeyEvent(d, code, down ? True : False, CurrentTime);
    XSync(d, False);
}

void keyCode(unsigned code, bool down)
{
    Display* const d = display();
    if (!d || code == 0)
        return;
    XTestFakeKeyEvent(d, code, down ? True : False, CurrentTime);
    XSync(d, False);
}

unsigned keyCodeOf(const char* keysym)
{
    Display* const d = display();
    if (!d)
        return 0;
    // Xlib's own key map is not refreshed for this connection: Qt reads its
    // events. So the server is asked.
    XkbDescPtr layout = XkbGetMap(d, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!layout)
        return 0;
    const KeySym wanted = XStringToKeysym(keysym);
    unsigned found = 0;
    for (int code = layout->min_key_code; code <= layout->max_key_code && !found; ++code) {
        if (XkbKeyNumGroups(layout, code) > 0 && XkbKeySymEntry(layout, code, 0, 0) == wanted)
            found = unsigned(code);
    }
    XkbFreeKeyboard(layout, XkbAllComponentsMask, True);
    return found;
}

void lockGroup(int group)
{
    Display* const d = display();
    if (!d)
        return;
    XkbLockGroup(d, XkbUseCoreKbd, unsigned(group));
    XSync(d, False);
}

} // namespace XProbe
