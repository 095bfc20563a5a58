// Placeholder bodies until the high-score subsystem lands.
#include "highscore/CheckHighScore.h"
#include "highscore/ShowHighScoreTable.h"

namespace AppModul {
void CheckHighScore(const qint16&) {}
bool NamePromptOpen() { return false; }
void ShowHighScoreTable() {}
}  // namespace AppModul
