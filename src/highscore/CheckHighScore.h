#pragma once

#include <QtGlobal>

namespace AppModul {

// The high-score step at the end of a game: rank the score, ask for a name
// when it gets in, save the table and show it after a new entry.
void CheckHighScore(const qint16& score);

// True while the name prompt of CheckHighScore is open; the keyboard poll
// acts on no key meanwhile.
bool NamePromptOpen();

} // namespace AppModul
