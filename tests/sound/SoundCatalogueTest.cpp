// The recordings the game plays must exist and keep the game's pace.
#include "sound/SoundCatalogue.h"

#include "sound/WaveImage.h"
#include "startup/Resources.h"

#include <QString>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <string_view>
#include <vector>

using namespace ResWave;

namespace {

std::vector<std::string_view> namesTheGamePlays()
{
    std::vector<std::string_view> names;
    for (const auto& a : kActionSounds)
        names.insert(names.end(), {a.voiceGerman, a.voiceEnglish, a.soundMode, a.answer});
    for (const auto& r : kWrongZoneRemarks)
        names.insert(names.end(), {r.german, r.english});
    for (const auto& r : kTimeOutRemarks)
        names.insert(names.end(), {r.german, r.english});
    names.insert(names.end(), {kStartSound, kRhythmSound, kRightAnswerBeat, kErrorSound, kEndBeat,
                               kSoundModeName, kVoiceModeName, kAnnouncementTail, kFarewellGerman,
                               kFarewellEnglish});
    return names;
}

WaveImage read(const QByteArray& bytes)
{
    return readWaveImage(
        {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())});
}

}  // namespace

TEST(SoundCatalogue, EveryPlayedNameIsCataloguedOnce)
{
    const auto names = namesTheGamePlays();
    const std::set<std::string_view> distinct(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), names.size()) << "one name stands for two sounds";
    EXPECT_EQ(distinct.size(), soundCatalogue().size()) << "a catalogue sound nobody plays";
    for (std::string_view name : names)
        EXPECT_NE(findCatalogueSound(name), nullptr) << name;
}

TEST(SoundCatalogue, EnglishWordsAt44100AndTheRestAt22050)
{
    for (const auto& s : soundCatalogue()) {
        const bool english = s.role == SoundRole::CommandVoiceEnglish ||
                             s.role == SoundRole::RemarkEnglish || s.name == kFarewellEnglish;
        EXPECT_EQ(s.sampleRate, english ? 44100 : 22050) << s.name;
    }
}

TEST(SoundCatalogue, EveryRecordingIsPcmMono16AtItsRateAndLength)
{
    for (const auto& s : soundCatalogue()) {
        const QString name = QString::fromLatin1(s.name.data(), qsizetype(s.name.size()));
        SCOPED_TRACE(name.toStdString());
        const auto bytes = Commands::LoadResource(QStringLiteral("WAVE"), name);
        ASSERT_TRUE(bytes.has_value()) << "no resource";
        const WaveImage wave = read(*bytes);
        ASSERT_TRUE(wave.playable());
        EXPECT_EQ(wave.format.channels, 1);
        EXPECT_EQ(wave.format.bitsPerSample, 16);
        EXPECT_EQ(int(wave.format.sampleRate), s.sampleRate);
        EXPECT_NEAR(double(wave.lengthMs()), double(s.ms), s.ms * 0.10);
    }
}

TEST(SoundCatalogue, DefaultSoundIsPlayable)
{
    const auto ding = Commands::LoadResource(QStringLiteral("SYSTEM"), QStringLiteral("ding.wav"));
    ASSERT_TRUE(ding.has_value());
    EXPECT_TRUE(read(*ding).playable());
}
