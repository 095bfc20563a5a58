#pragma once

#include <QPoint>
#include <QRect>
#include <optional>
#include <vector>

class QWidget;

// What the X server itself knows about our windows, and real input sent
// through it. Kept apart so that no test file sees the X headers' macros.
namespace XProbe {

// True when the application runs on X and the server can report shapes.
bool available();
// True when the server can also take synthetic input (XTest).
bool canSendInput();

// The window's bounding shape as the server keeps it, in the window's device
// pixels (its logical pixels times its device pixel ratio).
std::optional<std::vector<QRect>> boundingRects(QWidget& window);

// A real press and release of a mouse button (1 left, 2 middle, 3 right) on
// the window's logical pixel pos.
void click(QWidget& window, QPoint pos, int xButton = 1);

// A real press (down) or release of the key with this X keysym name ("t",
// "Escape"), as a keyboard makes it.
void key(const char* keysym, bool down);

// A real press or release of the key with this X key code, whatever it
// means under the layout in force.
void keyCode(unsigned code, bool down);
// The key code that carries this keysym name in the first group of the
// layout in force, read afresh from the server; 0 when none does.
unsigned keyCodeOf(const char* keysym);
// Makes keyboard group `group` (0 for the first layout) the active one.
void lockGroup(int group);

} // namespace XProbe
