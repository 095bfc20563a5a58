#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

// One line of the high-score table.
struct HiScoreEntry {
    QString PlayerName; // exactly 20 characters, space-padded
    qint16 Points = 0;

    friend bool operator==(const HiScoreEntry&, const HiScoreEntry&) = default;
};

namespace AppModul {

inline constexpr int kNameLength = 20;
inline constexpr int kTablePlaces = 10;
inline constexpr int kRecordSize = 22;
inline constexpr int kTableBytes = kTablePlaces * kRecordSize;

// Ranks 1 to 10 at indexes 0 to 9.
using HiScoreTable = std::array<HiScoreEntry, kTablePlaces>;

// Every record passes through this buffer on its way to or from the file.
inline HiScoreEntry HiScoreRec;

// "Vuruz Erireviru" with 20 points: every place of a fresh table.
HiScoreEntry defaultEntry();
HiScoreTable defaultTable();

} // namespace AppModul
