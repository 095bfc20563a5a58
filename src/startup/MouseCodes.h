#pragma once

#include <qnamespace.h>

// Mouse button and modifier masks as the window handlers receive them.
namespace Commands {

// 1 left, 2 right, 4 middle, 0 any other.
int buttonCode(Qt::MouseButton button);
// 1 Shift, 2 Ctrl, 4 Alt.
int shiftCode(Qt::KeyboardModifiers modifiers);

} // namespace Commands
