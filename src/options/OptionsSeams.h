#pragma once

#include <functional>

// The end of the program, replaceable for tests of the dialog's way out.
namespace Options {

// An empty function puts the real end of the program back.
void setProgramEnd(std::function<void()> end);
void endProgram();

} // namespace Options
