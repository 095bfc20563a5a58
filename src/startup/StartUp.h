#pragma once

#include <QString>

#include <functional>
#include <span>
#include <string_view>

// The start procedure and its two halves.
namespace Commands {

// Runs the start-up steps in order, each skipped silently when it fails.
// Returns false when the program must end at once (another copy runs).
bool Main();
void InitPaths();
void PrepareFiles();

// One step of start-up. A step that cannot do its work changes nothing and
// returns false; the next step runs all the same.
struct StartStep {
    std::string_view name;
    bool (*run)();
};

// Every step of Main after the single-instance check, in its order: those of
// InitPaths, those of PrepareFiles, then the main window and its settings.
std::span<const StartStep> StartSteps();

// Watches start-up: called after every step, the single-instance check
// ("SingleInstance") included, with the step's name and whether it did its work.
using StartObserver = std::function<void(std::string_view step, bool done)>;
void SetStartObserver(StartObserver observer);

// The program file whose folder and name start-up uses; empty, the default,
// means the running program's own file.
void SetProgramFile(const QString& path);

// Picks the xcb platform under Wayland unless the user chose one: window
// shape, stay-on-top and moving a window are X11 features. Call before
// QApplication is constructed.
void ChooseWindowPlatform();

// Ends the program at once: no further event runs and nothing more is saved.
[[noreturn]] void EndProgram();

}  // namespace Commands
