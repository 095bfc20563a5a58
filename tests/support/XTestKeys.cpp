#include "support/XTestKeys.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

XTestKeys::XTestKeys()
{
    Display* display = XOpenDisplay(nullptr);
    int event = 0, error = 0, major = 0, minor = 0;
    if (display && !XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        display = nullptr;
    }
    m_display = display;
}

XTestKeys::~XTestKeys()
{
    if (m_display)
        XCloseDisplay(static_cast<Display*>(m_display));
}

XTestKeys::operator bool() const
{
    return m_display != nullptr;
}

void XTestKeys::press(const QString& keysym)
{
    send(keysym, true);
}

void XTestKeys::release(const QString& keysym)
{
    send(keysym, false);
}

void XTestKeys::send(const QString& keysym, bool down)
{
    auto* display = static_cast<Display*>(m_display);
    if (!display)
        return;
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym.toLatin1().constData()));
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    XSync(display, False);
}
