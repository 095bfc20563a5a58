#pragma once

#include "game/ScoreFile.h"

#include <QString>

// highscore.dat as the game's high-score step reads and writes it.
class TableFile final : public Game::ScoreFile {
  public:
    // The path is read at each use: start-up settles it after the game is built.
    std::optional<Game::ScoreTable> load() override;
    bool save(const Game::ScoreTable& table) override;
};
