#pragma once

// The start procedure and its two halves.
namespace Commands {

// Runs the start-up steps in order, each skipped silently when it fails.
// Returns false when the program must end at once (another copy runs).
bool Main();
void InitPaths();
void PrepareFiles();

// Picks the xcb platform under Wayland unless the user chose one: window
// shape, stay-on-top and moving a window are X11 features. Call before
// QApplication is constructed.
void ChooseWindowPlatform();

// Ends the program at once: no further event runs and nothing more is saved.
[[noreturn]] void EndProgram();

}  // namespace Commands
