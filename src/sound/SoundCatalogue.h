#pragma once

#include <array>
#include <span>
#include <string_view>

// The forty WAVE resources of the game, with the rate and length each
// recording must have to keep the game's pace, and the names the game plays
// for each action and event.
namespace ResWave {

enum class SoundRole {
    CommandVoiceGerman,
    CommandVoiceEnglish,
    CommandSoundMode,
    AnswerSound,
    Rhythm,
    GameOver, // the error sound and the closing beat of every lost game
    RemarkGerman,
    RemarkEnglish,
    ModeAnnouncement,
    Farewell,
};

struct CatalogueSound {
    std::string_view name;
    int sampleRate;
    int ms;
    SoundRole role;
};

std::span<const CatalogueSound> soundCatalogue();
const CatalogueSound* findCatalogueSound(std::string_view name);

// The sounds of one action (command number = index + 1, zone index = index).
struct ActionSounds {
    std::string_view germanWord;
    std::string_view voiceGerman;
    std::string_view voiceEnglish;
    std::string_view soundMode;
    std::string_view answer;
};
extern const std::array<ActionSounds, 5> kActionSounds;

// Remarks after a lost game, by the number drawn within each set (1-based).
struct RemarkPair {
    std::string_view german;
    std::string_view english;
};
extern const std::array<RemarkPair, 2> kWrongZoneRemarks;
extern const std::array<RemarkPair, 3> kTimeOutRemarks;

inline constexpr std::string_view kStartSound = "RHYSTART1";
inline constexpr std::string_view kRhythmSound = "RHYRHYTHM1"; // also written to the rhythm file
inline constexpr std::string_view kRightAnswerBeat = "RHYRHYTHM2";
inline constexpr std::string_view kErrorSound = "FEHLER";
inline constexpr std::string_view kEndBeat = "ENDBEAT1";
inline constexpr std::string_view kSoundModeName = "SOUNDMODUS";
inline constexpr std::string_view kVoiceModeName = "VOICEMODUS";
inline constexpr std::string_view kAnnouncementTail = "SOLO";
inline constexpr std::string_view kFarewellGerman = "GAMEOVER";
inline constexpr std::string_view kFarewellEnglish = "EN_GAMEOVER";

}  // namespace ResWave
