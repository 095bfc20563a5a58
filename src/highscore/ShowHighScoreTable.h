#pragma once

class QWidget;

namespace AppModul {

// Fills the high-score window from the file (creating the file with the
// default table when missing) and shows it modally; a call while the window
// is already open refreshes its rows and returns at once. `mainWindow` is
// the toy: the window stays above it and re-enables it on closing.
void showHighScoreTable(QWidget* mainWindow);

} // namespace AppModul
