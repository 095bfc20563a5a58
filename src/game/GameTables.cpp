#include "game/GameTables.h"

namespace Game {

RemarkSet remarks(GameEnd cause)
{
    if (cause == GameEnd::WrongZone)
        return {Sounds::kWrongZoneGerman, Sounds::kWrongZoneEnglish};
    return {Sounds::kTimeOutGerman, Sounds::kTimeOutEnglish};
}

const char* commandSound(int command, int soundMode, int language)
{
    const Sounds::ActionSounds& action = Sounds::kActions.at(std::size_t(command - 1));
    if (soundMode != 0)
        return action.soundMode;
    return language != 0 ? action.voiceEnglish : action.voiceGerman;
}

const char* answerSound(int index)
{
    return Sounds::kActions.at(std::size_t(index)).answer;
}

const char* remarkSound(GameEnd cause, int k, int language)
{
    const RemarkSet set = remarks(cause);
    const auto& names = language != 0 ? set.english : set.german;
    return names[std::size_t(k - 1)];
}

const char* farewellSound(int language)
{
    return language == 0 ? Sounds::kFarewellGerman : Sounds::kFarewellEnglish;
}

const std::array<Key, kZoneCount>& letterKeys(int language)
{
    return language != 0 ? kEnglishLetterKeys : kGermanLetterKeys;
}

} // namespace Game
