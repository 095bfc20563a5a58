#include "sound/SoundCatalogue.h"

#include <algorithm>

namespace ResWave {
namespace {

using R = SoundRole;

constexpr std::array<CatalogueSound, 40> kCatalogue{{
    {"AH-NO", 44100, 741, R::RemarkEnglish},
    {"CMDSM_DREHEN", 22050, 323, R::CommandSoundMode},
    {"CMDSM_KLOPFEN", 22050, 407, R::CommandSoundMode},
    {"CMDSM_ROLLEN", 22050, 363, R::CommandSoundMode},
    {"CMDSM_TIPPEN", 22050, 316, R::CommandSoundMode},
    {"CMDSM_ZIEHEN", 22050, 270, R::CommandSoundMode},
    {"CMDVM_DREHEN", 22050, 482, R::CommandVoiceGerman},
    {"CMDVM_KLOPFEN", 22050, 495, R::CommandVoiceGerman},
    {"CMDVM_ROLLEN", 22050, 391, R::CommandVoiceGerman},
    {"CMDVM_TIPPEN", 22050, 375, R::CommandVoiceGerman},
    {"CMDVM_ZIEHEN", 22050, 370, R::CommandVoiceGerman},
    {"DOITBETTER", 44100, 1921, R::RemarkEnglish},
    {"EN_GAMEOVER", 44100, 737, R::Farewell},
    {"EN_SORRY", 44100, 394, R::RemarkEnglish},
    {"ENDBEAT1", 22050, 2006, R::GameOver},
    {"FEHLER", 22050, 1124, R::GameOver},
    {"FLICK-IT", 44100, 398, R::CommandVoiceEnglish},
    {"GAMEOVER", 22050, 689, R::Farewell},
    {"MACHSBESSER", 22050, 1785, R::RemarkGerman},
    {"NOTGOOD", 44100, 858, R::RemarkEnglish},
    {"OHBOY", 44100, 782, R::RemarkEnglish},
    {"OHMANN", 22050, 803, R::RemarkGerman},
    {"OHNEIN", 22050, 964, R::RemarkGerman},
    {"PULL-IT", 44100, 348, R::CommandVoiceEnglish},
    {"RHYRHYTHM1", 22050, 470, R::Rhythm},
    {"RHYRHYTHM2", 22050, 488, R::Rhythm},
    {"RHYSTART1", 22050, 1843, R::Rhythm},
    {"SNDDREHEN", 22050, 310, R::AnswerSound},
    {"SNDKLOPFEN", 22050, 365, R::AnswerSound},
    {"SNDROLLEN", 22050, 412, R::AnswerSound},
    {"SNDTIPPEN", 22050, 415, R::AnswerSound},
    {"SNDZIEHEN", 22050, 385, R::AnswerSound},
    {"SOLO", 22050, 514, R::ModeAnnouncement},
    {"SONICHT", 22050, 787, R::RemarkGerman},
    {"SORRY", 22050, 642, R::RemarkGerman},
    {"SOUNDMODUS", 22050, 919, R::ModeAnnouncement},
    {"SPIN-IT", 44100, 408, R::CommandVoiceEnglish},
    {"TWIST-IT", 44100, 399, R::CommandVoiceEnglish},
    {"VOICEMODUS", 22050, 835, R::ModeAnnouncement},
    {"ZOK-IT", 44100, 397, R::CommandVoiceEnglish},
}};

}  // namespace

const std::array<ActionSounds, 5> kActionSounds{{
    {"TIPPEN", "CMDVM_TIPPEN", "FLICK-IT", "CMDSM_TIPPEN", "SNDTIPPEN"},
    {"ROLLEN", "CMDVM_ROLLEN", "SPIN-IT", "CMDSM_ROLLEN", "SNDROLLEN"},
    {"DREHEN", "CMDVM_DREHEN", "TWIST-IT", "CMDSM_DREHEN", "SNDDREHEN"},
    {"ZIEHEN", "CMDVM_ZIEHEN", "PULL-IT", "CMDSM_ZIEHEN", "SNDZIEHEN"},
    {"KLOPFEN", "CMDVM_KLOPFEN", "ZOK-IT", "CMDSM_KLOPFEN", "SNDKLOPFEN"},
}};

const std::array<RemarkPair, 2> kWrongZoneRemarks{{
    {"SONICHT", "NOTGOOD"},
    {"MACHSBESSER", "DOITBETTER"},
}};

const std::array<RemarkPair, 3> kTimeOutRemarks{{
    {"OHMANN", "OHBOY"},
    {"OHNEIN", "AH-NO"},
    {"SORRY", "EN_SORRY"},
}};

std::span<const CatalogueSound> soundCatalogue()
{
    return kCatalogue;
}

const CatalogueSound* findCatalogueSound(std::string_view name)
{
    const auto it = std::find_if(kCatalogue.begin(), kCatalogue.end(),
                                 [name](const CatalogueSound& s) { return s.name == name; });
    return it == kCatalogue.end() ? nullptr : &*it;
}

}  // namespace ResWave
