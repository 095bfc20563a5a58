#pragma once

#include "game/GameDialogs.h"
#include "game/ScoreFile.h"

#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

// What the benchmarks share: how they print a spread of times, and the
// windows the game opens as hooks that open nothing.
namespace Bench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// "label  n=..  min ..  median ..  max .. ms"
inline void printRow(const char* label, std::vector<double> ms)
{
    if (ms.empty())
        return;
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s n=%2zu  min %8.2f  median %8.2f  max %8.2f ms\n", label, ms.size(),
                ms.front(), ms[ms.size() / 2], ms.back());
}

// The windows the game opens: the table runs its hook, if one is set, and
// each closes at once from the event loop.
class HookedDialogs final : public GameDialogs {
  public:
    std::function<void()> onTable;
    void openOptions(OptionsReplies replies) override
    {
        QTimer::singleShot(0, [closed = std::move(replies.closed)] { closed(); });
    }
    void showHighScoreTable(std::function<void()> closed) override
    {
        if (onTable)
            onTable();
        if (closed)
            QTimer::singleShot(0, std::move(closed));
    }
    void askName(std::function<void(const QString&)> entered) override
    {
        QTimer::singleShot(0, [entered = std::move(entered)] { entered(QString()); });
    }
    void endProgram() override {}
};

// The table file in memory; `onSave` runs at each save, as the high-score
// step ends.
class MemoryScores final : public Game::ScoreFile {
  public:
    std::function<void()> onSave;
    std::optional<Game::ScoreTable> load() override
    {
        Game::ScoreTable table;
        table.fill({std::string("Vuruz Erireviru     "), 20});
        return table;
    }
    bool save(const Game::ScoreTable&) override
    {
        if (onSave)
            onSave();
        return true;
    }
};

} // namespace Bench
