// Both writers of the player's files, settings and high scores, on real file
// systems: a full disk changes nothing, a save keeps the file's mode, and the
// leftovers of a killed save are cleared at the next start.
#include "startup/SafeWrite.h"

#include "highscore/HiScoreFile.h"
#include "startup/IniStore.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"
#include "support/TinyTmpfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <utime.h>

namespace {

const QString kSection = QStringLiteral("Wendrake Vuruz Erireviru Simulator");

QByteArray settingsOfSize(int bytes)
{
    QByteArray text = "; my own note\n[Wendrake Vuruz Erireviru Simulator]\nTimer=800\n";
    for (int line = 0; text.size() < bytes; ++line)
        text += "; a long note the player keeps in the settings file, line " +
                QByteArray::number(line) + '\n';
    return text;
}

QByteArray oldTable()
{
    AppModul::HiScoreTable table = AppModul::defaultTable();
    table[0] = {AppModul::fitName(QStringLiteral("Ada")), 99};
    return AppModul::encodeTable(table);
}

// One writer of the player's files, as the game calls it.
struct Writer {
    const char* what;
    QString fileName;
    QByteArray before;
    std::function<void(const QString& path)> save;
};

std::vector<Writer> writers()
{
    return {
        {"short settings", "vuruz.ini", settingsOfSize(70),
         [](const QString& path) { Commands::WriteIniString(kSection, "Timer", "801", path); }},
        {"long settings", "vuruz.ini", settingsOfSize(10 * 1024),
         [](const QString& path) { Commands::WriteIniString(kSection, "Timer", "801", path); }},
        {"new settings key", "vuruz.ini", settingsOfSize(70),
         [](const QString& path) { Commands::WriteIniString(kSection, "Language", "1", path); }},
        {"high scores", "highscore.dat", oldTable(),
         [](const QString& path) { AppModul::writeHiScoreFile(path, AppModul::defaultTable()); }},
    };
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 07777;
}

// A disk that fills up before (or while) the new file is written leaves the
// old one byte for byte and nothing beside it.
TEST(SafeWrite, AFullDiskLeavesTheOldFileByteForByte)
{
    for (const Writer& w : writers()) {
        SCOPED_TRACE(w.what);
        TinyTmpfs disk(16);
        if (!disk.mounted())
            GTEST_SKIP() << disk.whyNot().toStdString();
        {
            QFile file(disk.file(w.fileName));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            ASSERT_EQ(file.write(w.before), w.before.size());
        }
        disk.fill(QStringLiteral("filler"));
        // A long file gets part of the way before the disk is full.
        if (w.before.size() > 4096)
            QFile::resize(disk.file(QStringLiteral("filler")), 0);

        w.save(disk.file(w.fileName));

        QFile file(disk.file(w.fileName));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), w.before);
        EXPECT_EQ(entries(disk.path()), (QStringList{"filler", w.fileName}));
    }
}

// A player who made the file private (or shared it with a group) keeps it so.
TEST(SafeWrite, ASaveKeepsTheFilesPermissionBits)
{
    for (const Writer& w : writers()) {
        for (const mode_t mode : {mode_t(0600), mode_t(0640), mode_t(0664), mode_t(0444)}) {
            SCOPED_TRACE(std::string(w.what) + " mode " + std::to_string(mode));
            TempFolder folder;
            folder.write(w.fileName, w.before);
            ASSERT_EQ(::chmod(QFile::encodeName(folder.file(w.fileName)).constData(), mode), 0);
            w.save(folder.file(w.fileName));
            EXPECT_NE(folder.read(w.fileName), w.before) << "the save did not happen";
            EXPECT_EQ(modeOf(folder.file(w.fileName)), mode);
            EXPECT_EQ(entries(folder.path()), QStringList{w.fileName});
        }
    }
}

// A new file gets the mode the player's mask asks for; the mask is read, so
// files that other threads make meanwhile are never left open to everyone.
TEST(SafeWrite, ANewFileGetsTheModeOfTheUmask)
{
    for (const auto& [mask, mode] :
         {std::pair{mode_t(022), mode_t(0644)}, std::pair{mode_t(077), mode_t(0600)},
          std::pair{mode_t(002), mode_t(0664)}}) {
        SCOPED_TRACE("umask " + std::to_string(mask));
        TempFolder folder;
        const mode_t before = ::umask(mask);
        EXPECT_EQ(Commands::currentUmask(), mask);
        Commands::WriteIniString(kSection, "Timer", "801", folder.file("vuruz.ini"));
        AppModul::writeHiScoreFile(folder.file("highscore.dat"), AppModul::defaultTable());
        EXPECT_EQ(::umask(before), mask) << "the save changed the mask";
        EXPECT_EQ(modeOf(folder.file("vuruz.ini")), mode);
        EXPECT_EQ(modeOf(folder.file("highscore.dat")), mode);
    }
}

pid_t deadPid()
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

void age(const QString& path, int seconds)
{
    struct utimbuf times {};
    times.actime = times.modtime = ::time(nullptr) - seconds;
    ::utime(QFile::encodeName(path).constData(), &times);
}

// Only the leftovers of our own saves go: named as a save names them, plain
// files of ours, whose writer has died or which are hours old.
TEST(SafeWrite, LeftoversOfAKilledSaveAreRemovedAndNothingElse)
{
    TempFolder folder;
    const QString dead = QString::number(deadPid());
    const QString live = QString::number(::getppid());
    struct Case {
        QString name;
        bool removed;
        int ageSeconds = 0;
    };
    const std::vector<Case> cases = {
        {".vuruz.ini.vuruz-save-" + dead + "-Ab12Cd", true},
        {".vuruz.ini.vuruz-save-" + live + "-Ab12Cd", false},
        {".vuruz.ini.vuruz-save-" + live + "-Xy34Zw", true, 3 * 3600},
        {".highscore.dat.vuruz-save-" + dead + "-qwerty", true},
        {".vuruz.ini.vuruz-save-" + dead + "-Ab12C", false},
        {".vuruz.ini.vuruz-save-" + dead + "-Ab12Cd.bak", false},
        {".vuruz.ini.vuruz-save-x" + dead + "-Ab12Cd", false},
        {".other.ini.vuruz-save-" + dead + "-Ab12Cd", false},
        {"vuruz.ini.vuruz-save-" + dead + "-Ab12Cd", false},
        {"vuruz.ini.Ab12Cd", false},
        {"vuruz.ini", false},
        {"highscore.dat", false},
    };
    for (const Case& c : cases) {
        folder.write(c.name, "x");
        if (c.ageSeconds)
            age(folder.file(c.name), c.ageSeconds);
    }
    // A folder and a link of that name are not files a save made.
    const QString folderName = ".vuruz.ini.vuruz-save-" + dead + "-Folder";
    const QString linkName = ".vuruz.ini.vuruz-save-" + dead + "-LinkXX";
    QDir(folder.path()).mkdir(folderName);
    QFile::link(folder.file("vuruz.ini"), folder.file(linkName));
    // Nor is one that belongs to someone else.
    const QString foreignName = ".vuruz.ini.vuruz-save-" + dead + "-Other1";
    folder.write(foreignName, "x");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(QFile::encodeName(folder.file(foreignName)).constData(), 65534, 65534),
                  0);
    }

    Commands::removeStaleSaveFiles(folder.file("vuruz.ini"));
    Commands::removeStaleSaveFiles(folder.file("highscore.dat"));

    for (const Case& c : cases)
        EXPECT_EQ(QFileInfo::exists(folder.file(c.name)), !c.removed) << c.name.toStdString();
    EXPECT_TRUE(QFileInfo(folder.file(folderName)).isDir());
    EXPECT_TRUE(QFileInfo(folder.file(linkName)).isSymLink());
    EXPECT_EQ(QFileInfo::exists(folder.file(foreignName)), ::geteuid() == 0);
}

} // namespace
