#include "game/ScoreFile.h"

namespace Game {

int rankFor(const ScoreTable& table, std::int16_t score)
{
    // Counting from the bottom up finds the first rank from the top whose
    // points are below the score, even in a hand-edited table out of order.
    int rank = 0;
    for (int place = int(table.size()); place >= 1; --place) {
        if (score > table[std::size_t(place - 1)].points)
            rank = place;
    }
    return rank;
}

} // namespace Game
