#include "highscore/ShowHighScoreTable.h"

#include "highscore/HiScoreEntry.h"
#include "highscore/HiScoreFile.h"
#include "highscore/frmHiScore.h"
#include "startup/FilePlaces.h"
#include "startup/Globals.h"

#include <QApplication>
#include <QPointer>

namespace AppModul {

namespace {

void fillRows(frmHiScore& window, const std::optional<HiScoreTable>& table)
{
    for (int i = 0; i < kTablePlaces; ++i) {
        // Without a readable file every row shows what the buffer last held.
        if (table)
            HiScoreRec = (*table)[i];
        window.setRow(i, HiScoreRec.PlayerName, HiScoreRec.Points);
    }
}

} // namespace

void showHighScoreTable(QWidget* mainWindow)
{
    const QString path = Commands::HiScoreFile;
    if (!Commands::FileExists(path)) {
        HiScoreRec = defaultEntry();
        writeHiScoreFile(path, defaultTable());
    }
    const std::optional<HiScoreTable> table = readHiScoreFile(path);

    // A call while the window is up (a key handler of the toy, say) only
    // refreshes it; the open window keeps its own modal loop.
    if (frmHiScore* open = frmHiScore::openWindow()) {
        fillRows(*open, table);
        return;
    }

    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = mainWindow;
    QPointer<frmHiScore> window = new frmHiScore(parent, mainWindow);
    fillRows(*window, table);
    window->exec();
    delete window.data();
}

} // namespace AppModul
