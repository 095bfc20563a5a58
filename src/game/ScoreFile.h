#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace Game {

// One place of the high-score table; the name as the file holds it (20
// characters, blank-padded), in UTF-8.
struct ScoreEntry {
    std::string name;
    std::int16_t points = 0;

    friend bool operator==(const ScoreEntry&, const ScoreEntry&) = default;
};

// Ranks 1 to 10.
using ScoreTable = std::array<ScoreEntry, 10>;

// The high-score file as the game's step reads and writes it.
class ScoreFile {
  public:
    virtual ~ScoreFile() = default;
    // The stored table, or the default one when there is no file; nullopt
    // when the file is there but cannot be read.
    virtual std::optional<ScoreTable> load() = 0;
    // False when the table could not be written.
    virtual bool save(const ScoreTable& table) = 0;
};

// The place a score takes: the first rank from the top whose points are
// below it, 0 when none is; an equal score ranks below the stored one.
int rankFor(const ScoreTable& table, std::int16_t score);

} // namespace Game
