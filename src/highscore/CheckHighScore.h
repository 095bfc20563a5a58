#pragma once

#include <QtGlobal>

class QWidget;

namespace AppModul {

// The high-score step at the end of a game: rank the score, ask for a name
// when it gets in, save the table and show it after a new entry, over
// `mainWindow`.
void CheckHighScore(qint16 score, QWidget* mainWindow);

// True while the name prompt of CheckHighScore is open; the keyboard poll
// acts on no key meanwhile.
bool namePromptOpen();

} // namespace AppModul
