#include "startup/IniStore.h"

#include "support/FileSizeLimit.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const QString kSection = QStringLiteral("Wendrake Vuruz Erireviru Simulator");

struct ReadCase {
    const char* what;
    QByteArray file;
    const char* key;
    QString expected;
    QString section = kSection;
};

// Files as a player or an older copy may have left them.
TEST(IniStore, ReadsHandWrittenFiles)
{
    const QByteArray head = "[Wendrake Vuruz Erireviru Simulator]\n";
    const ReadCase cases[] = {
        {"plain", head + "Timer=650\n", "Timer", "650"},
        {"asked in capitals", head + "Timer=650\n", "TIMER", "650", kSection.toUpper()},
        {"lower-case section", "[wendrake vuruz erireviru simulator]\ntimer=650\n", "Timer", "650"},
        {"odd spacing", "  [ Wendrake Vuruz Erireviru Simulator ]  \n\t Timer   =   650  \n",
         "Timer", "650"},
        {"windows line ends", "[Wendrake Vuruz Erireviru Simulator]\r\nTimer=650\r\n", "Timer",
         "650"},
        {"last line without end", head + "Language=1", "Language", "1"},
        {"empty value", head + "Timer=\n", "Timer", "default"},
        {"blank value", head + "Timer=   \n", "Timer", "default"},
        {"missing key", head + "Language=1\n", "Timer", "default"},
        {"key in another section", "[Other]\nTimer=5\n" + head + "Language=1\n", "Timer",
         "default"},
        {"key before any section", "Timer=5\n" + head, "Timer", "default"},
        {"commented out", head + ";Timer=5\n# Timer=6\nTimer=7\n", "Timer", "7"},
        {"among unknown sections and keys",
         "; settings\n[A]\nx=1\n\n" + head + "unknown=9\nTimer=1200\n[B]\nTimer=3\n", "Timer",
         "1200"},
        {"first of two sections", head + "Timer=1\n" + head + "Timer=2\n", "Timer", "1"},
        {"quoted value", head + "Timer=\"650\"\n", "Timer", "650"},
        {"value with equals sign", head + "Timer=a=b\n", "Timer", "a=b"},
        {"2047 characters", head + "Timer=" + QByteArray(2047, '7') + "\n", "Timer",
         QString(2047, u'7')},
        {"longer value cut", head + "Timer=" + QByteArray(3000, '7') + "\n", "Timer",
         QString(2047, u'7')},
        {"empty file", "", "Timer", "default"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.write("game.ini", c.file);
        EXPECT_EQ(Commands::ReadIniString(c.section, QString::fromUtf8(c.key), dir.file("game.ini"),
                                          "default"),
                  c.expected)
            << c.what;
    }
}

TEST(IniStore, NoReadableFileGivesTheDefault)
{
    TempFolder dir;
    EXPECT_EQ(Commands::ReadIniString(kSection, "Timer", dir.file("none.ini"), "800"), "800");
    EXPECT_EQ(Commands::ReadIniString(kSection, "Timer", dir.path(), "800"), "800");
    EXPECT_EQ(Commands::ReadIniString(kSection, "Timer", QString(), "800"), "800");
}

// Changing one value keeps every other byte of the file where it was.
TEST(IniStore, WritingKeepsEveryOtherLineInItsPlace)
{
    struct WriteCase {
        const char* what;
        QByteArray before;
        const char* key;
        const char* value;
        QByteArray after;
    };
    const WriteCase cases[] = {
        {"value replaced in place",
         "; my settings\r\n[wendrake vuruz erireviru simulator]\r\n  timer =  800\r\nExtra=keep "
         "me\r\n"
         "Language=0\r\n\r\n[Other]\r\nTimer=1\r\n",
         "Timer", "650",
         "; my settings\r\n[wendrake vuruz erireviru simulator]\r\n  timer =  650\r\nExtra=keep "
         "me\r\n"
         "Language=0\r\n\r\n[Other]\r\nTimer=1\r\n"},
        {"new key after the section's last key",
         "[Wendrake Vuruz Erireviru Simulator]\nTimer=800\n; about the next one\n[Other]\nx=1\n",
         "Language", "1",
         "[Wendrake Vuruz Erireviru Simulator]\nTimer=800\nLanguage=1\n; about the next "
         "one\n[Other]\nx=1\n"},
        {"new key in an empty section", "[Wendrake Vuruz Erireviru Simulator]\n[Other]\nx=1\n",
         "Timer", "800", "[Wendrake Vuruz Erireviru Simulator]\nTimer=800\n[Other]\nx=1\n"},
        {"new section at the end, file without a last line end", "[Other]\nx=1", "Timer", "800",
         "[Other]\nx=1\n[Wendrake Vuruz Erireviru Simulator]\nTimer=800\n"},
        {"a commented-out key is left alone",
         "[Wendrake Vuruz Erireviru Simulator]\n;Timer=5\nTimer=6\n", "Timer", "700",
         "[Wendrake Vuruz Erireviru Simulator]\n;Timer=5\nTimer=700\n"},
        {"empty value written", "[Wendrake Vuruz Erireviru Simulator]\nTimer=6\n", "Timer", "",
         "[Wendrake Vuruz Erireviru Simulator]\nTimer=\n"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.write("game.ini", c.before);
        Commands::WriteIniString(kSection, QString::fromUtf8(c.key), QString::fromUtf8(c.value),
                                 dir.file("game.ini"));
        EXPECT_EQ(dir.read("game.ini"), c.after) << c.what;
    }
}

TEST(IniStore, CreatesTheFileWithNamesAsGivenAndReadsThemBackInAnyCase)
{
    TempFolder dir;
    const QString file = dir.file("new.ini");
    Commands::WriteIniString(kSection, "Timer", "800", file);
    Commands::WriteIniString(kSection, "Language", "1", file);
    Commands::WriteIniString(kSection, "Timer", "650", file);
    EXPECT_EQ(dir.read("new.ini"), "[Wendrake Vuruz Erireviru Simulator]\nTimer=650\nLanguage=1\n");
    EXPECT_EQ(Commands::ReadIniString(kSection.toUpper(), "TIMER", file, "x"), "650");
    EXPECT_EQ(Commands::ReadIniString(kSection.toLower(), "language", file, "x"), "1");
}

// A value or name that would break the line structure must not plant other
// keys or sections in the file.
TEST(IniStore, RefusesWhatWouldBreakTheFile)
{
    const QByteArray before = "[Wendrake Vuruz Erireviru Simulator]\nTimer=800\n";
    struct Bad {
        const char* section;
        const char* key;
        const char* value;
    };
    const Bad cases[] = {
        {"Wendrake Vuruz Erireviru Simulator", "Timer", "1\nLanguage=1"},
        {"Wendrake Vuruz Erireviru Simulator", "Timer", "1\r[Other]"},
        {"Wendrake Vuruz Erireviru Simulator", "Tim=er", "1"},
        {"Wendrake Vuruz Erireviru Simulator", "", "1"},
        {"Wendrake Vuruz Erireviru Simulator", "A\nB", "1"},
        {"", "Timer", "1"},
        {"S]x", "Timer", "1"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.write("game.ini", before);
        Commands::WriteIniString(QString::fromUtf8(c.section), QString::fromUtf8(c.key),
                                 QString::fromUtf8(c.value), dir.file("game.ini"));
        EXPECT_EQ(dir.read("game.ini"), before) << c.key << " / " << c.value;
    }
}

TEST(IniStore, WriteIntoAFolderThatCannotBeMadeDoesNothing)
{
    TempFolder dir;
    dir.write("blocker", "not a folder");
    const QString file = dir.file("blocker/game.ini");
    Commands::WriteIniString(kSection, "Timer", "650", file);
    EXPECT_EQ(dir.read("blocker"), "not a folder");
    EXPECT_EQ(Commands::ReadIniString(kSection, "Timer", file, "800"), "800");
}

TEST(IniStore, WriteIntoAReadOnlyFolderLosesNothing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root";
    TempFolder dir;
    const QByteArray before = "; mine\n[Wendrake Vuruz Erireviru Simulator]\nTimer=800\n";
    dir.write("game.ini", before);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    Commands::WriteIniString(kSection, "Timer", "650", dir.file("game.ini"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(dir.read("game.ini"), before);
}

// The old file stays whole when the new one cannot be written completely.
TEST(IniStore, FailedWriteLeavesTheOldFileWhole)
{
    TempFolder dir;
    QByteArray before = "[Wendrake Vuruz Erireviru Simulator]\nTimer=800\nLanguage=1\n";
    for (int i = 0; i < 2000; ++i)
        before += "; a long note the player keeps in the settings file, line " +
                  QByteArray::number(i) + '\n';
    dir.write("game.ini", before);
    ASSERT_EQ(dir.read("game.ini"), before);
    {
        FileSizeLimit limit(16 * 1024);
        ASSERT_TRUE(limit.active());
        Commands::WriteIniString(kSection, "Timer", "650", dir.file("game.ini"));
    }
    EXPECT_EQ(dir.read("game.ini"), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("game.ini")});
    // And with room to write, the same call does its work.
    Commands::WriteIniString(kSection, "Timer", "650", dir.file("game.ini"));
    EXPECT_EQ(Commands::ReadIniString(kSection, "Timer", dir.file("game.ini"), "x"), "650");
}

} // namespace
