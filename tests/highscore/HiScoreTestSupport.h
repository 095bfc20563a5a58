#pragma once

#include "highscore/HiScoreEntry.h"
#include "highscore/HiScoreFile.h"
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

// Watches for the modal high-score window; each time one is up, records its
// rows, runs the optional hook on it and closes it.
class TableWatcher {
  public:
    explicit TableWatcher(std::function<void(frmHiScore&)> hook = {}) : m_hook(std::move(hook))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(5);
    }

    const std::vector<ShownTable>& shown() const { return m_shown; }

  private:
    void poll()
    {
        frmHiScore* window = frmHiScore::openWindow();
        if (!window || !window->isVisible() || window == m_last)
            return;
        m_last = window;
        if (m_hook)
            m_hook(*window);
        m_shown.push_back(rowsOf(*window));
        window->close();
    }

    std::function<void(frmHiScore&)> m_hook;
    QTimer m_timer;
    QPointer<frmHiScore> m_last;
    std::vector<ShownTable> m_shown;
};

} // namespace hstest
