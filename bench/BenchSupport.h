#pragma once

#include "game/GameDialogs.h"

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

// The windows the game opens: each runs its hook, if one is set, and
// nothing else.
class HookedDialogs final : public GameDialogs {
  public:
    std::function<void()> onTable;
    std::function<void()> onHighScoreStep;
    void openOptions() override {}
    void showHighScoreTable() override
    {
        if (onTable)
            onTable();
    }
    void checkHighScore(qint16) override
    {
        if (onHighScoreStep)
            onHighScoreStep();
    }
    bool namePromptOpen() const override { return false; }
    void leaveProgram() override {}
};

} // namespace Bench
