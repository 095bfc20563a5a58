#pragma once

#include "highscore/frmHiScore.h"

#include <QPointer>
#include <functional>

namespace AppModul {

// The one way the table is shown: by the toy's zone and key, the options
// dialog's button and the high-score step. One window at a time.
class HighScoreTable {
  public:
    // Fills the window from the file (creating the file with the default
    // table when missing) and shows it, modal to what it stands over; a call
    // while it is up refreshes its rows. Returns at once. `mainWindow` is the
    // toy: the window stays above it and re-enables it on closing. `closed`
    // runs when a window this call opened closes.
    void show(QWidget* mainWindow, std::function<void()> closed = {});

    // The window from its load until it is closed, else nullptr.
    frmHiScore* window() const { return m_window; }

  private:
    QPointer<frmHiScore> m_window;
};

} // namespace AppModul
