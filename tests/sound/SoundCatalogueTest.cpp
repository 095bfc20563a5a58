// The recordings the game plays must exist and keep the game's pace.
#include "sound/SoundNames.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"

#include <QString>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

using namespace ResWave;

namespace {

// Each recording's rate and length: the English words are recorded at
// 44100 Hz, the rest at 22050 Hz, and each lasts what the game's pace needs.
struct Recording {
    int sampleRate;
    int ms;
};
const std::map<std::string, Recording> kRecordings = {
    {"AH-NO", {44100, 741}},         {"CMDSM_DREHEN", {22050, 323}},
    {"CMDSM_KLOPFEN", {22050, 407}}, {"CMDSM_ROLLEN", {22050, 363}},
    {"CMDSM_TIPPEN", {22050, 316}},  {"CMDSM_ZIEHEN", {22050, 270}},
    {"CMDVM_DREHEN", {22050, 482}},  {"CMDVM_KLOPFEN", {22050, 495}},
    {"CMDVM_ROLLEN", {22050, 391}},  {"CMDVM_TIPPEN", {22050, 375}},
    {"CMDVM_ZIEHEN", {22050, 370}},  {"DOITBETTER", {44100, 1921}},
    {"EN_GAMEOVER", {44100, 737}},   {"EN_SORRY", {44100, 394}},
    {"ENDBEAT1", {22050, 2006}},     {"FEHLER", {22050, 1124}},
    {"FLICK-IT", {44100, 398}},      {"GAMEOVER", {22050, 689}},
    {"MACHSBESSER", {22050, 1785}},  {"NOTGOOD", {44100, 858}},
    {"OHBOY", {44100, 782}},         {"OHMANN", {22050, 803}},
    {"OHNEIN", {22050, 964}},        {"PULL-IT", {44100, 348}},
    {"RHYRHYTHM1", {22050, 470}},    {"RHYRHYTHM2", {22050, 488}},
    {"RHYSTART1", {22050, 1843}},    {"SNDDREHEN", {22050, 310}},
    {"SNDKLOPFEN", {22050, 365}},    {"SNDROLLEN", {22050, 412}},
    {"SNDTIPPEN", {22050, 415}},     {"SNDZIEHEN", {22050, 385}},
    {"SOLO", {22050, 514}},          {"SONICHT", {22050, 787}},
    {"SORRY", {22050, 642}},         {"SOUNDMODUS", {22050, 919}},
    {"SPIN-IT", {44100, 408}},       {"TWIST-IT", {44100, 399}},
    {"VOICEMODUS", {22050, 835}},    {"ZOK-IT", {44100, 397}},
};

WaveImage read(const QByteArray& bytes)
{
    return readWaveImage(
        {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())});
}

} // namespace

TEST(SoundCatalogue, EveryPlayedNameIsCataloguedOnce)
{
    const auto names = Sounds::allNames();
    std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), names.size()) << "one name stands for two sounds";
    EXPECT_EQ(distinct.size(), kRecordings.size()) << "a recording nobody plays";
    for (const std::string& name : distinct)
        EXPECT_TRUE(kRecordings.count(name)) << name;
}

TEST(SoundCatalogue, EveryRecordingIsPcmMono16AtItsRateAndLength)
{
    for (const auto& [key, recording] : kRecordings) {
        const QString name = QString::fromStdString(key);
        SCOPED_TRACE(key);
        const auto bytes = Commands::loadResource(QStringLiteral("WAVE"), name);
        ASSERT_TRUE(bytes.has_value()) << "no resource";
        const WaveImage wave = read(*bytes);
        ASSERT_TRUE(wave.playable());
        EXPECT_EQ(wave.format.channels, 1);
        EXPECT_EQ(wave.format.bitsPerSample, 16);
        EXPECT_EQ(int(wave.format.sampleRate), recording.sampleRate);
        EXPECT_NEAR(double(wave.lengthMs()), double(recording.ms), recording.ms * 0.10);
    }
}

TEST(SoundCatalogue, DefaultSoundIsPlayable)
{
    const auto ding = Commands::loadResource(QStringLiteral("SYSTEM"), QStringLiteral("ding.wav"));
    ASSERT_TRUE(ding.has_value());
    EXPECT_TRUE(read(*ding).playable());
}
