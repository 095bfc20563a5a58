// The recordings the game plays must exist and keep the game's pace.
#include "sound/SoundNames.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace ResWave;

namespace {

// One row of the catalogue: a resource's type and name, its rate and its
// length in samples.
struct Recording {
    QString type;
    QString name;
    quint32 sampleRate = 0;
    std::size_t samples = 0;
};

std::vector<Recording> catalogue()
{
    QFile file(QStringLiteral(VURUZ_SOUND_CATALOGUE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    std::vector<Recording> rows;
    bool header = true;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const QStringList cells = line.split(u'\t');
        if (std::exchange(header, false))
            continue;
        if (cells.size() != 4)
            return {};
        rows.push_back(
            {cells[0], cells[1], cells[2].toUInt(), std::size_t(cells[3].toULongLong())});
    }
    return rows;
}

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
    std::set<std::string> catalogued;
    for (const Recording& row : catalogue()) {
        if (row.type == QLatin1String("WAVE")) {
            EXPECT_TRUE(catalogued.insert(row.name.toStdString()).second)
                << "twice: " << row.name.toStdString();
        }
    }
    EXPECT_EQ(catalogued, distinct) << "a recording nobody plays, or a sound not catalogued";
}

// The default sound is a row too: the game plays it for a file that cannot be played.
TEST(SoundCatalogue, EveryRecordingIsPcmMono16AtItsRateAndLength)
{
    const auto rows = catalogue();
    ASSERT_FALSE(rows.empty()) << "no catalogue at " << VURUZ_SOUND_CATALOGUE;
    for (const Recording& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        const auto bytes = Commands::loadResource(row.type, row.name);
        ASSERT_TRUE(bytes.has_value()) << "no resource";
        const WaveImage wave = read(*bytes);
        ASSERT_TRUE(wave.playable());
        EXPECT_EQ(wave.format.channels, 1);
        EXPECT_EQ(wave.format.bitsPerSample, 16);
        EXPECT_EQ(wave.format.sampleRate, row.sampleRate);
        EXPECT_EQ(wave.frames(), row.samples);
    }
}
