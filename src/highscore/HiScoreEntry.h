#pragma once

#include <QString>
#include <QtGlobal>

// One line of the high-score table.
struct HiScoreEntry {
    QString PlayerName;  // exactly 20 characters, space-padded
    qint16 Points = 0;
};

namespace AppModul {

inline constexpr int kNameLength = 20;
inline constexpr int kTablePlaces = 10;
inline constexpr int kRecordSize = 22;

// Every record passes through this buffer on its way to or from the file.
inline HiScoreEntry HiScoreRec;

}  // namespace AppModul
