#pragma once

namespace Commands {

// True when this is the only running copy; the claim lasts until released
// or the process ends (also when it is killed).
bool claimSingleInstance();
void releaseSingleInstance();

} // namespace Commands
