#pragma once

#include <QPoint>
#include <QPointF>
#include <optional>

class QWidget;

namespace Commands {

// Across screens of different scales Qt's logical positions do not join up:
// a window dragged from one onto the other by them would jump. Positions in
// the X server's own pixels do, the same on every screen.

// True when every screen has the same scale, so logical positions join up.
bool screensOfOneScale();
// A point Qt gives in logical pixels, such as a mouse event's, in the
// server's: each screen keeps its top-left corner in both and scales what
// lies beyond it. Taken from the event, not asked of the server, so a hand
// that moved on while the event waited does not shift it.
QPoint toDevicePixels(QPointF logical);
// The top-left corner of the window's inside, in the server's pixels, as the
// server has it now; empty where there is no X server.
std::optional<QPoint> windowInDevicePixels(const QWidget& window);
// Moves the window's top-left corner there; false where there is no X server
// (on Wayland a window cannot place itself anyway).
bool moveInDevicePixels(QWidget& window, QPoint topLeft);
// True on XWayland, where a window placing itself is not followed.
bool onXWayland(const QWidget& window);

} // namespace Commands
