#pragma once

namespace Commands {

// What task bars, window lists and the desktop's menu know the program by:
// its desktop entry "de.wendrake.vuruz" (which also ties its
// windows to that entry's icon on Wayland), and its icon from the icon theme
// the package installs, the built-in one where no theme has it. The icon is
// looked up once the first window is up; it is for the task bar.
void setAppIdentity();

} // namespace Commands
