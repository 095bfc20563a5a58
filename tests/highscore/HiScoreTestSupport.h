#pragma once

#include "highscore/HiScoreEntry.h"
#include "highscore/HiScoreFile.h"
#include "highscore/HighScoreTable.h"
#include "highscore/frmHiScore.h"
#include "support/FileSizeLimit.h"

#include <QLabel>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <signal.h>
#include <sys/resource.h>
#include <vector>

namespace hstest {

inline QString padded(const QString& name)
{
    return name.leftJustified(AppModul::kNameLength, ' ');
}

// Places named "P1".."P10" with the given points.
inline AppModul::HiScoreTable tableWithPoints(const std::vector<qint16>& points)
{
    AppModul::HiScoreTable table;
    for (int i = 0; i < AppModul::kTablePlaces; ++i)
        table[i] = {padded(QStringLiteral("P%1").arg(i + 1)), points.at(i)};
    return table;
}

// What one shown high-score window displayed.
struct ShownTable {
    QStringList names;
    QStringList points;
    QStringList numbers;
};

inline ShownTable rowsOf(const frmHiScore& window)
{
    ShownTable shown;
    for (int i = 0; i < AppModul::kTablePlaces; ++i) {
        shown.names << window.lblHScoreName[i]->text();
        shown.points << window.lblHScore[i]->text();
        shown.numbers << window.lblNumber[i]->text();
    }
    return shown;
}

// Looks at the high-score window of `table`: each time a new one is up,
// records its rows, runs the optional hook on it and closes it. The window
// opens without an event loop of its own, so a look is taken after every
// show, on every turn of the event loop, and before the rows are read.
class TableWatcher {
  public:
    explicit TableWatcher(AppModul::HighScoreTable& table,
                          std::function<void(frmHiScore&)> hook = {})
        : m_table(table), m_hook(std::move(hook))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(5);
    }

    // Shows the table as its callers do, then looks.
    void show(QWidget* mainWindow)
    {
        m_table.show(mainWindow);
        poll();
    }

    const std::vector<ShownTable>& shown()
    {
        poll();
        return m_shown;
    }

    void poll()
    {
        frmHiScore* window = m_table.window();
        if (!window || !window->isVisible() || window == m_last)
            return;
        m_last = window;
        if (m_hook)
            m_hook(*window);
        m_shown.push_back(rowsOf(*window));
        window->close();
    }

  private:
    AppModul::HighScoreTable& m_table;
    std::function<void(frmHiScore&)> m_hook;
    QTimer m_timer;
    QPointer<frmHiScore> m_last;
    std::vector<ShownTable> m_shown;
};

} // namespace hstest
