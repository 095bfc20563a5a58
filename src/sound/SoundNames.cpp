#include "sound/SoundNames.h"

namespace Sounds {

std::vector<const char*> allNames()
{
    std::vector<const char*> names;
    for (const ActionSounds& a : kActions)
        names.insert(names.end(), {a.voiceGerman, a.voiceEnglish, a.soundMode, a.answer});
    for (const auto* set : {&kWrongZoneGerman, &kWrongZoneEnglish})
        names.insert(names.end(), set->begin(), set->end());
    for (const auto* set : {&kTimeOutGerman, &kTimeOutEnglish})
        names.insert(names.end(), set->begin(), set->end());
    names.insert(names.end(), {kStart, kRhythm, kNext, kError, kEndBeat, kSoundMode, kVoiceMode,
                               kSolo, kFarewellGerman, kFarewellEnglish});
    return names;
}

} // namespace Sounds
