#pragma once

#include <array>
#include <vector>

// The name of every recording the program plays, said once. The game's
// tables, the farewell and the rhythm file all read them from here.
namespace Sounds {

// The sounds of one action: command n belongs to zone n - 1.
struct ActionSounds {
    const char* voiceGerman;
    const char* voiceEnglish;
    const char* soundMode; // the same in both languages
    const char* answer;    // the same in both languages
};

inline constexpr std::array<ActionSounds, 5> kActions{{
    {"CMDVM_TIPPEN", "FLICK-IT", "CMDSM_TIPPEN", "SNDTIPPEN"},
    {"CMDVM_ROLLEN", "SPIN-IT", "CMDSM_ROLLEN", "SNDROLLEN"},
    {"CMDVM_DREHEN", "TWIST-IT", "CMDSM_DREHEN", "SNDDREHEN"},
    {"CMDVM_ZIEHEN", "PULL-IT", "CMDSM_ZIEHEN", "SNDZIEHEN"},
    {"CMDVM_KLOPFEN", "ZOK-IT", "CMDSM_KLOPFEN", "SNDKLOPFEN"},
}};

inline constexpr const char* kStart = "RHYSTART1";
inline constexpr const char* kRhythm = "RHYRHYTHM1"; // the beat under every command, as a file
inline constexpr const char* kNext = "RHYRHYTHM2";
inline constexpr const char* kError = "FEHLER";
inline constexpr const char* kEndBeat = "ENDBEAT1";
inline constexpr const char* kSoundMode = "SOUNDMODUS";
inline constexpr const char* kVoiceMode = "VOICEMODUS";
inline constexpr const char* kSolo = "SOLO";
inline constexpr const char* kFarewellGerman = "GAMEOVER";
inline constexpr const char* kFarewellEnglish = "EN_GAMEOVER";

// Remarks that close a lost game, drawn at random within a set.
inline constexpr std::array<const char*, 2> kWrongZoneGerman{"SONICHT", "MACHSBESSER"};
inline constexpr std::array<const char*, 2> kWrongZoneEnglish{"NOTGOOD", "DOITBETTER"};
inline constexpr std::array<const char*, 3> kTimeOutGerman{"OHMANN", "OHNEIN", "SORRY"};
inline constexpr std::array<const char*, 3> kTimeOutEnglish{"OHBOY", "AH-NO", "EN_SORRY"};

// Every name above once: the recordings the program must carry.
std::vector<const char*> allNames();

} // namespace Sounds
