#pragma once

#include <QPoint>
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

// A move by the window manager of the window held by the left button since
// it went down at `pressedAt`, in the server's pixels: the window then moves
// by the pointer's travel from there, even where the pointer went on before
// the press was handled. False where no window manager moves windows so.
bool startMove(WId window, QPoint pressedAt);

} // namespace Commands::Hints
