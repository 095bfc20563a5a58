#include "highscore/HighScoreTable.h"

#include "highscore/HiScoreEntry.h"
#include "highscore/HiScoreFile.h"
#include "highscore/frmHiScore.h"
#include "startup/FilePlaces.h"
#include "startup/Globals.h"

#include <QApplication>

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

void HighScoreTable::show(QWidget* mainWindow, std::function<void()> closed)
{
    const QString path = Commands::HiScoreFile;
    if (!Commands::FileExists(path)) {
        HiScoreRec = defaultEntry();
        writeHiScoreFile(path, defaultTable());
    }
    const std::optional<HiScoreTable> table = readHiScoreFile(path);

    // A closed window may still wait for its deletion.
    if (m_window && m_window->isVisible()) {
        fillRows(*m_window, table);
        return;
    }

    // Over the options dialog when that is up, else over the toy.
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent)
        parent = mainWindow;
    m_window = new frmHiScore(parent, mainWindow);
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    if (closed)
        QObject::connect(m_window, &QDialog::finished, m_window,
                         [closed = std::move(closed)] { closed(); });
    fillRows(*m_window, table);
    m_window->open();
}

} // namespace AppModul
