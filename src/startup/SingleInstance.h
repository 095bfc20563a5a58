#pragma once

#include <functional>

namespace Commands {

// True when this is the only running copy; the claim lasts until released
// or the process ends (also when it is killed). When another copy holds it,
// that copy is asked to show its window before this returns false.
bool claimSingleInstance();
void releaseSingleInstance();

// Once the claim is held: every later start that finds it calls shown (on
// this thread, from the event loop). Until then such starts end silently.
void whenStartedAgain(std::function<void()> shown);

} // namespace Commands
