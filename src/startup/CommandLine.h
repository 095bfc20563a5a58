#pragma once

#include <optional>

namespace Commands {

// The game reads no command line, but answers "--help" and "--version" (and
// "-h") on standard output as every program does. Returns the exit status
// when it answered one of them (then the program ends before any window),
// nothing otherwise. Call before QApplication takes its own options.
std::optional<int> answerCommandLine(int argc, const char* const argv[]);

} // namespace Commands
