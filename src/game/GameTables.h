#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <span>

// Every table of the game in one place: the five actions, the remarks that
// close a game, the sounds shared by both languages and the keys.
namespace Game {

inline constexpr int kZoneCount = 5;

// Command n belongs to zone n - 1.
struct Action {
    const char* voiceGerman;
    const char* voiceEnglish;
    const char* soundMode; // the same in both languages
    const char* answer;    // the same in both languages
};

inline constexpr std::array<Action, kZoneCount> kActions{{
    {"CMDVM_TIPPEN", "FLICK-IT", "CMDSM_TIPPEN", "SNDTIPPEN"},
    {"CMDVM_ROLLEN", "SPIN-IT", "CMDSM_ROLLEN", "SNDROLLEN"},
    {"CMDVM_DREHEN", "TWIST-IT", "CMDSM_DREHEN", "SNDDREHEN"},
    {"CMDVM_ZIEHEN", "PULL-IT", "CMDSM_ZIEHEN", "SNDZIEHEN"},
    {"CMDVM_KLOPFEN", "ZOK-IT", "CMDSM_KLOPFEN", "SNDKLOPFEN"},
}};

// Shared by both languages.
inline constexpr const char* kStartSound = "RHYSTART1";
inline constexpr const char* kNextSound = "RHYRHYTHM2";
inline constexpr const char* kErrorSound = "FEHLER";
inline constexpr const char* kEndBeatSound = "ENDBEAT1";
inline constexpr const char* kSoundModeSound = "SOUNDMODUS";
inline constexpr const char* kVoiceModeSound = "VOICEMODUS";
inline constexpr const char* kSoloSound = "SOLO";

enum class GameEnd { WrongZone, TimeOut };

struct RemarkSet {
    std::span<const char* const> german;
    std::span<const char* const> english;
};

inline constexpr std::array<const char*, 2> kWrongZoneGerman{"SONICHT", "MACHSBESSER"};
inline constexpr std::array<const char*, 2> kWrongZoneEnglish{"NOTGOOD", "DOITBETTER"};
inline constexpr std::array<const char*, 3> kTimeOutGerman{"OHMANN", "OHNEIN", "SORRY"};
inline constexpr std::array<const char*, 3> kTimeOutEnglish{"OHBOY", "AH-NO", "EN_SORRY"};

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
