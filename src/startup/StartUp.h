#pragma once

#include <QString>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

class QTimer;

// The start procedure and its two halves.
namespace Commands {

class SettingsAccess;

// Each step that ran, by name, and whether it did its work.
using StartSteps = std::vector<std::pair<std::string_view, bool>>;

// What one start goes by.
struct StartContext {
    QString programFile;    // its folder and name place the settings and the table
    QString rhythmResource; // the recording written to the rhythm file
};

// The first halves of the start procedure, each step skipped silently when
// it fails: the paths, then the files.
StartSteps InitPaths(const StartContext& start);
StartSteps PrepareFiles(const StartContext& start);

// One step of start-up. A step that cannot do its work changes nothing and
// returns false; the next step runs all the same.
struct StartStep {
    std::string_view name;
    bool (*run)(const StartContext& start);
};

// The steps of InitPaths, then those of PrepareFiles, in their order.
std::span<const StartStep> startStepTable();

// The stored answer time for `timer`; false, leaving it alone, when the
// value is not one a timer takes.
bool applyTimerSetting(SettingsAccess& settings, QTimer& timer);
// The stored language for `Language`; false when it is no 16-bit number.
bool applyLanguageSetting(SettingsAccess& settings);

// Picks the xcb platform under Wayland when an X display is there too,
// unless the user chose one: an exact window shape and stay-on-top are X11
// features. Without an X display, Wayland. Call before QApplication is
// constructed.
void chooseWindowPlatform();

// Ends the program at once: no further event runs and nothing more is saved.
[[noreturn]] void endProgram();

} // namespace Commands
