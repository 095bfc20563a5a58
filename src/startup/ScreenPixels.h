#pragma once

#include <QPoint>
#include <optional>
#include <utility>

class QWidget;

namespace Commands {

// Across screens of different scales Qt's logical positions do not join up:
// a window dragged from one onto the other by them would jump. Positions in
// the X server's own pixels do, the same on every screen.

// True when every screen has the same scale, so logical positions join up.
bool screensOfOneScale();
// The pointer and the top-left corner of the window's inside, in the
// server's pixels, as the server has them now; empty where there is no X
// server. Logical positions on a denser screen lose its odd pixels.
std::optional<std::pair<QPoint, QPoint>> pointerAndWindowInDevicePixels(const QWidget& window);
// Moves the window's top-left corner there; false where there is no X server
// (on Wayland a window cannot place itself anyway).
bool moveInDevicePixels(QWidget& window, QPoint topLeft);

} // namespace Commands
