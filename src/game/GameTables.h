#pragma once

#include "sound/SoundNames.h"

#include <QString>
#include <QtGlobal>
#include <array>
#include <span>

// The game's rules as tables: which sound gives a command, which remark
// closes a game, which key presses which zone.
namespace Game {

inline constexpr int kZoneCount = int(Sounds::kActions.size());

enum class GameEnd { WrongZone, TimeOut };

struct RemarkSet {
    std::span<const char* const> german;
    std::span<const char* const> english;
};

RemarkSet remarks(GameEnd cause);

// The sound that gives command `command` (1 to 5).
QString commandSound(int command, qint16 soundMode, qint16 language);
// The answer sound of zone `index` (0 to 4).
QString answerSound(int index);
// Remark k (1 to n) of the cause's set in the language.
QString remarkSound(GameEnd cause, int k, qint16 language);

// The letter keys of a language in zone order 0 to 4; Language 0 is German,
// any other value English.
inline constexpr std::array<Qt::Key, kZoneCount> kGermanLetterKeys{Qt::Key_T, Qt::Key_R, Qt::Key_D,
                                                                   Qt::Key_Z, Qt::Key_K};
inline constexpr std::array<Qt::Key, kZoneCount> kEnglishLetterKeys{Qt::Key_F, Qt::Key_S, Qt::Key_T,
                                                                    Qt::Key_P, Qt::Key_B};
inline constexpr Qt::Key kCentreKey = Qt::Key_Space; // zone 4, in both languages
inline constexpr Qt::Key kTableKey = Qt::Key_H;
inline constexpr Qt::Key kBreakOffKey = Qt::Key_Escape;
inline constexpr int kCentreZone = 4;

const std::array<Qt::Key, kZoneCount>& letterKeys(qint16 language);

// Every key that the poll reads, whatever the language.
inline constexpr std::array<Qt::Key, 12> kPolledKeys{
    Qt::Key_T, Qt::Key_R, Qt::Key_D, Qt::Key_Z,     Qt::Key_K, Qt::Key_F,
    Qt::Key_S, Qt::Key_P, Qt::Key_B, Qt::Key_Space, Qt::Key_H, Qt::Key_Escape};

} // namespace Game
