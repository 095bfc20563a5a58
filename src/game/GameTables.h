#pragma once

#include "sound/SoundNames.h"

#include <array>
#include <cstdint>
#include <span>

// The game's rules as tables: which sound gives a command, which remark
// closes a game, which key presses which zone. No Qt here: the game's core
// and its model in the tests read them alike.
namespace Game {

inline constexpr int kZoneCount = int(Sounds::kActions.size());
inline constexpr int kCentreZone = 4;

enum class GameEnd { WrongZone, TimeOut };

struct RemarkSet {
    std::span<const char* const> german;
    std::span<const char* const> english;
};

RemarkSet remarks(GameEnd cause);

// The sound that gives command `command` (1 to 5).
const char* commandSound(int command, int soundMode, int language);
// The answer sound of zone `index` (0 to 4).
const char* answerSound(int index);
// Remark k (1 to n) of the cause's set in the language.
const char* remarkSound(GameEnd cause, int k, int language);
// The farewell of the way out in the language.
const char* farewellSound(int language);

// Every key the poll reads, whatever the language, in no particular order.
enum class Key : std::uint8_t { T, R, D, Z, K, F, S, P, B, Space, H, Escape };
inline constexpr int kKeyCount = 12;

// The letter keys of a language in zone order 0 to 4; Language 0 is German,
// any other value English.
inline constexpr std::array<Key, kZoneCount> kGermanLetterKeys{Key::T, Key::R, Key::D, Key::Z,
                                                               Key::K};
inline constexpr std::array<Key, kZoneCount> kEnglishLetterKeys{Key::F, Key::S, Key::T, Key::P,
                                                                Key::B};
inline constexpr Key kCentreKey = Key::Space; // zone 4, in both languages
inline constexpr Key kTableKey = Key::H;
inline constexpr Key kBreakOffKey = Key::Escape;

const std::array<Key, kZoneCount>& letterKeys(int language);

} // namespace Game
