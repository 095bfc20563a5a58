#pragma once

#include "game/GameDialogs.h"
#include "game/ScoreFile.h"

#include <QString>
#include <functional>

// Stands in for the windows the game opens: counts them and keeps what each
// replies through, so a test can close them.
class CountingDialogs final : public GameDialogs {
  public:
    int optionsOpened = 0;
    int tablesShown = 0;
    int namesAsked = 0;
    int programEnds = 0;
    OptionsReplies options;
    std::function<void()> tableClosed;
    std::function<void(const QString&)> nameEntered;

    void openOptions(OptionsReplies replies) override
    {
        ++optionsOpened;
        options = std::move(replies);
    }
    void showHighScoreTable(std::function<void()> closed) override
    {
        ++tablesShown;
        if (closed)
            tableClosed = std::move(closed);
    }
    void askName(std::function<void(const QString&)> entered) override
    {
        ++namesAsked;
        nameEntered = std::move(entered);
    }
    void endProgram() override { ++programEnds; }
};

// The high-score file in memory: the default table until a save, and the
// score of each save's first place.
class ScoresInMemory final : public Game::ScoreFile {
  public:
    Game::ScoreTable table = [] {
        Game::ScoreTable fresh;
        fresh.fill({std::string("Vuruz Erireviru     "), 20});
        return fresh;
    }();
    int saves = 0;

    std::optional<Game::ScoreTable> load() override { return table; }
    bool save(const Game::ScoreTable& saved) override
    {
        table = saved;
        ++saves;
        return true;
    }
};
