#include "startup/DisplayCheck.h"

#include <QByteArray>
#include <QtGlobal>
#include <xcb/xcb.h>

namespace Commands {

bool canOpenDisplay()
{
    // Another platform the user chose (offscreen, wayland) is Qt's to judge.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb"))
        return true;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool opened = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return opened;
}

} // namespace Commands
