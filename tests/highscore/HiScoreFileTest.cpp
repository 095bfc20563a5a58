// The file codec: names in Windows-1252, points little-endian, short files,
// kept tails and saves that fail without harm.
#include "highscore/HiScoreFile.h"

#include "HiScoreTestSupport.h"
#include "support/TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>
#include <iconv.h>
#include <optional>

using namespace AppModul;
using hstest::padded;

namespace {

// The system's own converter, as an independent opinion on the code page.
std::optional<QString> iconvDecode(unsigned char byte)
{
    iconv_t cd = iconv_open("UTF-8", "CP1252");
    if (cd == iconv_t(-1))
        return std::nullopt;
    char in[1] = {char(byte)};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1))
        return std::nullopt;
    return QString::fromUtf8(out, outPtr - out);
}

QByteArray recordBytes(const QByteArray& name20, qint16 points)
{
    QByteArray bytes = name20;
    bytes.append(char(points & 0xFF));
    bytes.append(char((points >> 8) & 0xFF));
    return bytes;
}

} // namespace

TEST(HiScoreCodePage, AgreesWithTheSystemConverterOnEveryByte)
{
    ASSERT_TRUE(iconvDecode('A').has_value()) << "glibc lacks CP1252";
    for (int byte = 0; byte < 256; ++byte) {
        const QString ours = decodeName(QByteArray(1, char(byte)));
        ASSERT_EQ(ours.size(), 1);
        if (const std::optional<QString> theirs = iconvDecode(byte)) {
            EXPECT_EQ(ours, *theirs) << "byte 0x" << std::hex << byte;
        }
        // Every byte an old table may hold comes back as itself when saved.
        EXPECT_EQ(encodeName(ours).at(0), char(byte)) << "byte 0x" << std::hex << byte;
    }
}

TEST(HiScoreFile, NamesRoundTripThroughTheFileByteForByte)
{
    struct Case {
        const char* what;
        QString typed;
        QByteArray stored; // the 20 name bytes in the file
        QString readBack;
    };
    const QString twenty = QStringLiteral("ABCDEFGHIJKLMNOPQRST");
    const Case cases[] = {
        {"three characters", "Ada", "Ada" + QByteArray(17, ' '), padded("Ada")},
        {"exactly twenty", twenty, twenty.toLatin1(), twenty},
        {"twenty-five are cut", twenty + "UVWXY", twenty.toLatin1(), twenty},
        {"empty", "", QByteArray(20, ' '), padded("")},
        {"umlaut and sharp s", QStringLiteral("Jörg Weiß"),
         QByteArray("J\xF6rg Wei\xDF") + QByteArray(11, ' '), padded(QStringLiteral("Jörg Weiß"))},
        {"acute accent", QStringLiteral("Renée"),
         QByteArray("Ren\xE9"
                    "e") +
             QByteArray(15, ' '),
         padded(QStringLiteral("Renée"))},
        {"accent typed as a combining mark", QStringLiteral("Rene\u0301e"),
         QByteArray("Ren\xE9"
                    "e") +
             QByteArray(15, ' '),
         padded(QStringLiteral("Renée"))},
        {"euro sign is in the code page", QStringLiteral("€uro"),
         QByteArray("\x80uro") + QByteArray(16, ' '), padded(QStringLiteral("€uro"))},
        {"quotes and dashes", QStringLiteral("„Ŝ“–Ÿ"),
         QByteArray("\x84?\x93\x96\x9F") + QByteArray(15, ' '), padded(QStringLiteral("„?“–Ÿ"))},
        {"letter outside the code page", QStringLiteral("Łukasz"),
         QByteArray("?ukasz") + QByteArray(14, ' '), padded(QStringLiteral("?ukasz"))},
        {"emoji is one character", QStringLiteral("Ann😀"), QByteArray("Ann?") + QByteArray(16, ' '),
         padded(QStringLiteral("Ann?"))},
        {"emoji at the cut", QString(19, 'x') + QStringLiteral("😀z"), QByteArray(19, 'x') + "?",
         QString(19, 'x') + "?"},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const QString path = folder.file("highscore.dat");
        HiScoreTable table = defaultTable();
        table[2] = {fitName(c.typed), 7};
        // What the game keeps in memory is what the file gives back.
        EXPECT_EQ(table[2].PlayerName, c.readBack);

        ASSERT_TRUE(writeHiScoreFile(path, table));
        const QByteArray bytes = folder.read("highscore.dat");
        ASSERT_EQ(bytes.size(), kTableBytes);
        EXPECT_EQ(bytes.mid(2 * kRecordSize, kNameLength), c.stored);

        const std::optional<HiScoreTable> read = readHiScoreFile(path);
        ASSERT_TRUE(read);
        EXPECT_EQ((*read)[2].PlayerName, c.readBack);
        EXPECT_EQ(*read, table);
    }
}

TEST(HiScoreFile, PointsAreSignedLittleEndian)
{
    const std::vector<std::pair<qint16, QByteArray>> cases = {
        {0, QByteArray("\x00\x00", 2)},     {20, QByteArray("\x14\x00", 2)},
        {300, QByteArray("\x2C\x01", 2)},   {-2, QByteArray("\xFE\xFF", 2)},
        {32767, QByteArray("\xFF\x7F", 2)}, {-32768, QByteArray("\x00\x80", 2)},
    };
    for (const auto& [points, stored] : cases) {
        SCOPED_TRACE(points);
        TempFolder folder;
        HiScoreTable table = defaultTable();
        table[9].Points = points;
        ASSERT_TRUE(writeHiScoreFile(folder.file("highscore.dat"), table));
        const QByteArray bytes = folder.read("highscore.dat");
        EXPECT_EQ(bytes.mid(9 * kRecordSize + kNameLength, 2), stored);
        EXPECT_EQ(readHiScoreFile(folder.file("highscore.dat"))->at(9).Points, points);
    }
}

TEST(HiScoreFile, DefaultTableBytes)
{
    const QByteArray record = recordBytes("Vuruz Erireviru     ", 20);
    EXPECT_EQ(encodeTable(defaultTable()), record.repeated(kTablePlaces));
}

TEST(HiScoreFile, ShortFileReadsMissingRecordsAsBlankWithNoPoints)
{
    TempFolder folder;
    // Two whole records and the first six name bytes of a third.
    const QByteArray bytes = recordBytes("Ada                 ", 30) +
                             recordBytes("Bob                 ", -4) + "Carlos";
    folder.write("highscore.dat", bytes);

    const std::optional<HiScoreTable> read = readHiScoreFile(folder.file("highscore.dat"));
    ASSERT_TRUE(read);
    EXPECT_EQ((*read)[0], (HiScoreEntry{padded("Ada"), 30}));
    EXPECT_EQ((*read)[1], (HiScoreEntry{padded("Bob"), -4}));
    EXPECT_EQ((*read)[2], (HiScoreEntry{padded("Carlos"), 0}));
    for (int i = 3; i < kTablePlaces; ++i)
        EXPECT_EQ((*read)[i], (HiScoreEntry{padded(""), 0})) << "place " << i + 1;

    EXPECT_TRUE(readHiScoreFile(folder.file("empty.dat")) == std::nullopt);
    folder.write("empty.dat", {});
    EXPECT_EQ(readHiScoreFile(folder.file("empty.dat"))->at(0), (HiScoreEntry{padded(""), 0}));
}

TEST(HiScoreFile, WritingKeepsTheBytesAfterTheTable)
{
    struct Case {
        const char* what;
        QByteArray before;
    };
    const QByteArray table = encodeTable(hstest::tableWithPoints({9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    const QByteArray tail("\x00\xFFtail kept\r\n\x1A", 15);
    const Case cases[] = {
        {"no file", {}},
        {"short file", table.left(50)},
        {"exact file", table},
        {"file with a tail", table + tail},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        if (!c.before.isEmpty())
            folder.write("highscore.dat", c.before);
        const HiScoreTable fresh = hstest::tableWithPoints({90, 80, 70, 60, 50, 40, 30, 20, 10, 0});
        ASSERT_TRUE(writeHiScoreFile(folder.file("highscore.dat"), fresh));
        const QByteArray expectedTail = c.before.size() > kTableBytes ? tail : QByteArray();
        EXPECT_EQ(folder.read("highscore.dat"), encodeTable(fresh) + expectedTail);
        // The new file replaced the old one; nothing is left beside it.
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList{"highscore.dat"});
    }
}

TEST(HiScoreFile, FailedSaveKeepsTheOldFileWhole)
{
    TempFolder folder;
    const QByteArray old =
        encodeTable(hstest::tableWithPoints({9, 8, 7, 6, 5, 4, 3, 2, 1, 0})) + "tail";
    folder.write("highscore.dat", old);
    folder.write("blocker", "not a folder");
    QDir(folder.path()).mkdir("folder.dat");

    const HiScoreTable fresh = defaultTable();
    EXPECT_FALSE(writeHiScoreFile(folder.file("blocker/highscore.dat"), fresh));
    EXPECT_FALSE(writeHiScoreFile(folder.file("folder.dat"), fresh));
    EXPECT_FALSE(writeHiScoreFile(folder.file("missing/highscore.dat"), fresh));

    bool written = true;
    {
        const FileSizeLimit fullDisk(100);
        ASSERT_TRUE(fullDisk.active());
        written = writeHiScoreFile(folder.file("highscore.dat"), fresh);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.read("highscore.dat"), old);
    EXPECT_EQ(folder.read("blocker"), "not a folder");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"blocker", "highscore.dat"}));
}
