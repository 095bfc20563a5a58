#pragma once

#include <QString>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

class frmMain;

// The start procedure and its two halves.
namespace Commands {

// Each step that ran, by name, and whether it did its work.
using StartSteps = std::vector<std::pair<std::string_view, bool>>;

struct StartReport {
    // False when another copy runs: nothing else was done and the program
    // must end at once.
    bool onlyCopy = false;
    // The single-instance check ("SingleInstance") first.
    StartSteps steps;
    // The toy, shown; it lives for the whole run.
    frmMain* mainWindow = nullptr;
};

// Runs the start-up steps in order for the program at `programFile` (its
// folder and name place the settings and the table), each skipped silently
// when it fails.
StartReport Main(const QString& programFile);
StartSteps InitPaths(const QString& programFile);
StartSteps PrepareFiles();

// One step of start-up. A step that cannot do its work changes nothing and
// returns false; the next step runs all the same.
struct StartStep {
    std::string_view name;
    bool (*run)();
};

// Every step of Main after the single-instance check, in its order: those of
// InitPaths, those of PrepareFiles, then the main window and its settings.
std::span<const StartStep> startStepTable();

// Picks the xcb platform under Wayland when an X display is there too,
// unless the user chose one: an exact window shape and stay-on-top are X11
// features. Without an X display, Wayland. Call before QApplication is
// constructed.
void chooseWindowPlatform();

// Ends the program at once: no further event runs and nothing more is saved.
[[noreturn]] void endProgram();

} // namespace Commands
