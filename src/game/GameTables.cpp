#include "game/GameTables.h"

namespace Game {

RemarkSet remarks(GameEnd cause)
{
    if (cause == GameEnd::WrongZone)
        return {Sounds::kWrongZoneGerman, Sounds::kWrongZoneEnglish};
    return {Sounds::kTimeOutGerman, Sounds::kTimeOutEnglish};
}

QString commandSound(int command, qint16 soundMode, qint16 language)
{
    const Sounds::ActionSounds& action = Sounds::kActions.at(std::size_t(command - 1));
    if (soundMode != 0)
        return QString::fromLatin1(action.soundMode);
    return QString::fromLatin1(language != 0 ? action.voiceEnglish : action.voiceGerman);
}

QString answerSound(int index)
{
    return QString::fromLatin1(Sounds::kActions.at(std::size_t(index)).answer);
}

QString remarkSound(GameEnd cause, int k, qint16 language)
{
    const RemarkSet set = remarks(cause);
    const auto& names = language != 0 ? set.english : set.german;
    return QString::fromLatin1(names[std::size_t(k - 1)]);
}

const std::array<Qt::Key, kZoneCount>& letterKeys(qint16 language)
{
    return language != 0 ? kEnglishLetterKeys : kGermanLetterKeys;
}

} // namespace Game
