#pragma once

namespace Commands {

// False when the window platform is X11 and no X display can be opened. Qt
// would abort there with advice to reinstall; the caller says it plainly.
// Call after chooseWindowPlatform and before QApplication is constructed.
bool canOpenDisplay();

} // namespace Commands
