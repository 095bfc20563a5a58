#include "highscore/CheckHighScore.h"

#include "highscore/HiScoreEntry.h"
#include "highscore/HiScoreFile.h"
#include "highscore/NamePrompt.h"
#include "highscore/ShowHighScoreTable.h"
#include "startup/FilePlaces.h"
#include "startup/Globals.h"

#include <algorithm>
#include <array>
#include <optional>

namespace AppModul {

namespace {

bool g_namePromptOpen = false;

class NamePromptFlag {
  public:
    NamePromptFlag() { g_namePromptOpen = true; }
    ~NamePromptFlag() { g_namePromptOpen = false; }
    NamePromptFlag(const NamePromptFlag&) = delete;
    NamePromptFlag& operator=(const NamePromptFlag&) = delete;
};

} // namespace

bool namePromptOpen()
{
    return g_namePromptOpen;
}

void CheckHighScore(qint16 score, QWidget* mainWindow)
{
    const qint16 points = score;
    const QString path = Commands::HiScoreFile;

    // Places 0..9 are ranks 1..10; place 10 takes the entry pushed off the table.
    std::array<HiScoreEntry, kTablePlaces + 1> places;
    if (Commands::FileExists(path)) {
        const std::optional<HiScoreTable> stored = readHiScoreFile(path);
        if (!stored)
            return;
        std::copy(stored->begin(), stored->end(), places.begin());
    } else {
        const HiScoreTable defaults = defaultTable();
        std::copy(defaults.begin(), defaults.end(), places.begin());
    }

    // Counting from the bottom up finds the first rank from the top whose points
    // are below the score, even in a hand-edited table that is out of order; an
    // equal score ranks below the stored one.
    int newRank = 0;
    for (int rank = kTablePlaces; rank >= 1; --rank) {
        if (points > places[rank - 1].Points)
            newRank = rank;
    }

    const bool askedForName = newRank != 0;
    if (askedForName) {
        for (int rank = kTablePlaces; rank >= newRank; --rank)
            places[rank] = places[rank - 1];
        QString name;
        {
            const NamePromptFlag open;
            name = askPlayerName();
        }
        places[newRank - 1] = {fitName(name), points};
    }

    HiScoreTable table;
    std::copy_n(places.begin(), kTablePlaces, table.begin());
    if (!writeHiScoreFile(path, table))
        return;
    HiScoreRec = table.back();

    if (askedForName)
        showHighScoreTable(mainWindow);
}

} // namespace AppModul
