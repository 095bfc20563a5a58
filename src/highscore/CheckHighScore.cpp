#include "highscore/CheckHighScore.h"

#include "highscore/HiScoreEntry.h"
#include "highscore/HiScoreFile.h"
#include "highscore/HighScoreTable.h"
#include "highscore/NamePrompt.h"
#include "highscore/frmHiScore.h"
#include "startup/FilePlaces.h"
#include "startup/Globals.h"

#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <optional>

namespace AppModul {

void HighScoreStep::CheckHighScore(qint16 score, QWidget* mainWindow)
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

    // Writes the table and shows it after a new entry; at once when nothing
    // is asked.
    const auto save = [this, path, mainWindow = QPointer<QWidget>(mainWindow)](
                          const std::array<HiScoreEntry, kTablePlaces + 1>& ranked, bool named) {
        HiScoreTable table;
        std::copy_n(ranked.begin(), kTablePlaces, table.begin());
        if (!writeHiScoreFile(path, table))
            return;
        HiScoreRec = table.back();
        if (named)
            m_table.show(mainWindow);
    };

    if (newRank == 0) {
        save(places, false);
        return;
    }
    for (int rank = kTablePlaces; rank >= newRank; --rank)
        places[rank] = places[rank - 1];
    m_asking = true;
    m_prompt.ask(mainWindow, [this, places, newRank, points, save](const QString& name) mutable {
        m_asking = false;
        places[newRank - 1] = {fitName(name), points};
        save(places, true);
    });
}

} // namespace AppModul
