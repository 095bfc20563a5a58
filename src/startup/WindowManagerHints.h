#pragma once

#include <QWindow>

// What a window asks of an X window manager and compositor, through the
// properties and requests of the window manager specification. Each does
// nothing where the program does not run on X.
namespace Commands::Hints {

// Off the task bar and the pager; read by the window manager as the window
// is mapped.
void skipTaskbar(WId window);

// Onto the desktop the player looks at, rather than the player sent to the
// window's; a window on every desktop stays so.
void toCurrentDesktop(WId window);

// The focus, asked as a task bar asks it for the player: window managers
// that keep a program from taking the focus by itself grant this one.
void askFocusForPlayer(WId window);

} // namespace Commands::Hints
