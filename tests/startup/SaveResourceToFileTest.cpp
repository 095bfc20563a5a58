#include "startup/SaveResourceToFile.h"

#include "startup/Resources.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QByteArray resourceBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Nothing but the files the test itself put there.
QStringList folderEntries(const TempFolder& dir)
{
    return QDir(dir.path())
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                   QDir::Name);
}

TEST(SaveResourceToFile, WritesTheResourceByteForByte)
{
    TempFolder dir;
    const QByteArray expected = resourceBytes(":/TESTWAVE/long.bin");
    ASSERT_EQ(expected.size(), 5000);
    const QString path = dir.file("rhyRhythm1.wav");
    EXPECT_EQ(AppModul::SaveResourceToFile(path, "long.bin", "TESTWAVE"), path);
    EXPECT_EQ(dir.read("rhyRhythm1.wav"), expected);
    EXPECT_EQ(folderEntries(dir), QStringList{"rhyRhythm1.wav"});
}

// A damaged copy from an earlier run is repaired, with no tail left over.
TEST(SaveResourceToFile, ReplacesALongerOldFileWhole)
{
    TempFolder dir;
    dir.write("rhyRhythm1.wav", QByteArray(20000, 'x'));
    const QString path = dir.file("rhyRhythm1.wav");
    EXPECT_EQ(AppModul::SaveResourceToFile(path, "short.bin", "TESTWAVE"), path);
    EXPECT_EQ(dir.read("rhyRhythm1.wav"), resourceBytes(":/TESTWAVE/short.bin"));
}

// Someone else may have planted a link at the path in a shared folder: the
// file it points to must stay as it is, and no file may appear where a
// dangling link points.
TEST(SaveResourceToFile, NeverWritesThroughALinkAtThePath)
{
    TempFolder dir;
    dir.write("victim", "precious");
    ASSERT_TRUE(QFile::link(dir.file("victim"), dir.file("rhyRhythm1.wav")));
    ASSERT_TRUE(QFile::link(dir.file("planted"), dir.file("dangling.wav")));
    ASSERT_EQ(::link(QFile::encodeName(dir.file("victim")).constData(),
                     QFile::encodeName(dir.file("hardlink.wav")).constData()),
              0);

    for (const char* name : {"rhyRhythm1.wav", "dangling.wav", "hardlink.wav"}) {
        const QString path = dir.file(name);
        EXPECT_EQ(AppModul::SaveResourceToFile(path, "short.bin", "TESTWAVE"), path) << name;
        EXPECT_FALSE(QFileInfo(path).isSymLink()) << name;
        EXPECT_EQ(dir.read(name), resourceBytes(":/TESTWAVE/short.bin")) << name;
    }
    EXPECT_EQ(dir.read("victim"), "precious");
    EXPECT_FALSE(QFileInfo::exists(dir.file("planted")));
}

TEST(SaveResourceToFile, FailureGivesAnEmptyResultAndLeavesTheOldFile)
{
    TempFolder dir;
    dir.write("rhyRhythm1.wav", "old");
    dir.write("blocker", "a file, not a folder");
    QDir(dir.path()).mkdir("folder.wav");
    struct Case {
        QString path;
        const char* name;
        const char* type;
    };
    const Case cases[] = {
        {dir.file("rhyRhythm1.wav"), "MISSING", "TESTWAVE"},
        {dir.file("rhyRhythm1.wav"), "short.bin", "NOTYPE"},
        {dir.file("rhyRhythm1.wav"), "", ""},
        {dir.file("blocker/rhyRhythm1.wav"), "short.bin", "TESTWAVE"},
        {dir.file("folder.wav"), "short.bin", "TESTWAVE"},
        {QString(), "short.bin", "TESTWAVE"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AppModul::SaveResourceToFile(c.path, c.name, c.type), QString())
            << c.path.toStdString() << ' ' << c.name;
    EXPECT_EQ(dir.read("rhyRhythm1.wav"), "old");
    EXPECT_EQ(dir.read("blocker"), "a file, not a folder");
    EXPECT_EQ(folderEntries(dir), (QStringList{"blocker", "folder.wav", "rhyRhythm1.wav"}));
}

TEST(SaveResourceToFile, TheRhythmFileIsTheProgramsOwnResource)
{
    const auto bytes = Commands::loadResource("WAVE", "RHYRHYTHM1");
    if (!bytes)
        GTEST_SKIP() << "the rhythm recording is not among the resources yet";
    TempFolder dir;
    const QString path = dir.file("rhyRhythm1.wav");
    EXPECT_EQ(AppModul::SaveResourceToFile(path, "RHYRHYTHM1", "WAVE"), path);
    EXPECT_EQ(dir.read("rhyRhythm1.wav"), *bytes);
}

} // namespace
