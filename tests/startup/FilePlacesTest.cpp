#include "EnvironmentGuard.h"
#include "support/QtPrinters.h"
#include "startup/AppDataPlaces.h"
#include "startup/FilePlaces.h"
#include "support/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

TEST(FilePlaces, TempDirIsTheRuntimeFolderWhenThereIsOne)
{
    TempFolder runtime;
    TempFolder systemTemp;
    runtime.write("plain-file", "x");
    EnvironmentGuard tmpdir("TMPDIR", QFile::encodeName(systemTemp.path()));
    const QString fallback = QDir::tempPath() + u'/';
    ASSERT_EQ(QFileInfo(fallback).canonicalFilePath(), QFileInfo(systemTemp.path()).canonicalFilePath());

    struct Case {
        std::optional<QByteArray> runtimeDir;
        QString expected;
    };
    const Case cases[] = {
        {QFile::encodeName(runtime.path().chopped(1)), runtime.path()},
        {QFile::encodeName(runtime.path()), runtime.path()},
        {QFile::encodeName(runtime.file("plain-file")), fallback},
        {QFile::encodeName(runtime.file("missing")), fallback},
        {QByteArray(), fallback},
        {std::nullopt, fallback},
    };
    for (const auto& c : cases) {
        EnvironmentGuard env("XDG_RUNTIME_DIR", c.runtimeDir);
        const QString dir = Commands::GetTempDir();
        EXPECT_EQ(dir, c.expected) << c.runtimeDir.value_or("(unset)").constData();
    }
}

TEST(FilePlaces, AddBackslashEndsAFolderPathInTheSeparator)
{
    const std::pair<QString, QString> cases[] = {
        {"", "/"}, {"/", "/"}, {"/games", "/games/"}, {"/games/", "/games/"}, {"a b", "a b/"}};
    for (auto [path, expected] : cases) {
        Commands::AddBackslash(path);
        EXPECT_EQ(path, expected);
    }
}

TEST(FilePlaces, FileExistsOnlyForFilesThatCanBeOpened)
{
    TempFolder dir;
    dir.write("scores.dat", "1234");
    dir.write("empty.dat", "");
    QDir(dir.path()).mkdir("folder");
    QFile::link(dir.file("gone"), dir.file("dangling"));
    QFile::link(dir.file("scores.dat"), dir.file("link"));
    const std::pair<QString, bool> cases[] = {
        {dir.file("scores.dat"), true},  {dir.file("empty.dat"), true},
        {dir.file("link"), true},        {dir.file("folder"), false},
        {dir.path(), false},             {dir.file("missing.dat"), false},
        {dir.file("dangling"), false},   {dir.file("scores.dat/x"), false},
        {QString(), false},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(Commands::FileExists(path), expected) << path.toStdString();
}

TEST(FilePlaces, FileExistsIsFalseForAFileThatCannotBeRead)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    TempFolder dir;
    dir.write("secret.dat", "x");
    QFile::setPermissions(dir.file("secret.dat"), QFile::WriteOwner);
    EXPECT_FALSE(Commands::FileExists(dir.file("secret.dat")));
}

// File names are case-sensitive here: a re-cased path would name another file.
TEST(FilePlaces, GetLongPathKeepsThePathAsItIs)
{
    for (const QString path : {QStringLiteral("/opt/GAMES/VURUZ~1/Vuruz.EXE"),
                               QStringLiteral("/home/a b/x-y(z)_w"), QString()})
        EXPECT_EQ(Commands::GetLongPath(path), path);
}

// A copy whose folder can be written keeps its files beside it; an installed
// copy in a folder the player cannot write keeps them in the data folder.
TEST(FilePlaces, PlayerFilesLiveBesideAWritableProgramOnlyElseInTheDataFolder)
{
    TempFolder dir;
    EnvironmentGuard dataHome("XDG_DATA_HOME", QFile::encodeName(dir.file("data")));
    QDir(dir.path()).mkdir("game");
    dir.write("blocker", "a file, not a folder");

    EXPECT_EQ(Commands::PlayerFilesFolder(dir.file("game/"), "vuruz"), dir.file("game/"));
    EXPECT_FALSE(QFileInfo::exists(dir.file("data/vuruz")));

    EXPECT_EQ(Commands::PlayerFilesFolder(dir.file("blocker/bin/"), "vuruz"),
              dir.file("data/vuruz/"));
    EXPECT_TRUE(QFileInfo(dir.file("data/vuruz")).isDir());

    if (::geteuid() != 0) {
        QDir(dir.path()).mkdir("installed");
        QFile::setPermissions(dir.file("installed"), QFile::ReadOwner | QFile::ExeOwner);
        EXPECT_EQ(Commands::PlayerFilesFolder(dir.file("installed/"), "vuruz"),
                  dir.file("data/vuruz/"));
    }
}

}  // namespace
