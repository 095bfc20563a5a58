#include "startup/FilePlaces.h"

#include "EnvironmentGuard.h"
#include "sound/ResWave.h"
#include "sound/SoundOutput.h"
#include "startup/AppDataPlaces.h"
#include "startup/PrivateFolder.h"
#include "support/QtPrinters.h"
#include "support/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

struct FolderFacts {
    bool exists = false;
    bool link = false;
    uid_t owner = 0;
    mode_t mode = 0;
};

FolderFacts factsOf(const QString& path)
{
    struct stat st {};
    FolderFacts facts;
    const QString clean = QDir::cleanPath(path);
    if (::lstat(encoded(clean).constData(), &st) != 0)
        return facts;
    return {true, S_ISLNK(st.st_mode), st.st_uid, mode_t(st.st_mode & 07777)};
}

// The beat and the lock live where no other user can reach: the runtime folder
// when it is ours alone, else a folder of our own in the system temp folder.
// Ownership is judged by uid, not by access(): root may enter anything.
TEST(FilePlaces, TempDirIsAFolderOnlyThisUserOwns)
{
    TempFolder systemTemp;
    EnvironmentGuard tmpdir("TMPDIR", encoded(systemTemp.path()));
    const QString own = systemTemp.file("vuruz-" + QString::number(::geteuid()) + "/");

    TempFolder runtime; // 0700 and ours, as a session's runtime folder is
    runtime.write("plain-file", "x");
    TempFolder shared;
    ::chmod(encoded(shared.path()).constData(), 01777);
    TempFolder foreign;
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(encoded(foreign.path()).constData(), 65534, 65534), 0);
    }
    QFile::link(runtime.path().chopped(1), runtime.file("link"));

    struct Case {
        const char* what;
        std::optional<QByteArray> runtimeDir;
        QString expected;
    };
    const Case cases[] = {
        {"runtime folder", encoded(runtime.path().chopped(1)), runtime.path()},
        {"runtime folder with separator", encoded(runtime.path()), runtime.path()},
        {"open to everyone", encoded(shared.path()), own},
        {"another user's", encoded(foreign.path()), root ? own : foreign.path()},
        {"a link to our own", encoded(runtime.file("link")), own},
        {"a file", encoded(runtime.file("plain-file")), own},
        {"missing", encoded(runtime.file("missing")), own},
        {"relative", QByteArray("runtime"), own},
        {"empty", QByteArray(), own},
        {"unset", std::nullopt, own},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EnvironmentGuard env("XDG_RUNTIME_DIR", c.runtimeDir);
        EXPECT_EQ(Commands::GetTempDir(), c.expected);
    }
    const FolderFacts made = factsOf(own);
    EXPECT_TRUE(made.exists);
    EXPECT_FALSE(made.link);
    EXPECT_EQ(made.owner, ::geteuid());
    EXPECT_EQ(made.mode, mode_t(0700));
}

// Another user who took our folder's name in the shared temp folder gets
// nothing from us: we keep to a folder of our own in the cache folder, and
// when even that is not ours, to a fresh one in the temp folder.
TEST(FilePlaces, AFolderNameTakenByAnotherUserIsNotUsed)
{
    EnvironmentGuard runtimeEnv("XDG_RUNTIME_DIR", std::nullopt);
    const QString ownName = "vuruz-" + QString::number(::geteuid());
    struct Case {
        const char* what;
        std::function<void(const QString& path)> plant;
    };
    const Case cases[] = {
        {"owned by another user",
         [](const QString& path) {
             ::mkdir(encoded(path).constData(), 0700);
             if (::geteuid() != 0 || ::chown(encoded(path).constData(), 65534, 65534) != 0)
                 ::chmod(encoded(path).constData(), 0777);
         }},
        {"open to everyone",
         [](const QString& path) {
             ::mkdir(encoded(path).constData(), 0700);
             ::chmod(encoded(path).constData(), 0777);
         }},
        {"a link to a folder of ours",
         [](const QString& path) {
             ::mkdir(encoded(path + "-target").constData(), 0700);
             QFile::link(path + "-target", path);
         }},
        {"a file", [](const QString& path) { QFile(path).open(QIODevice::WriteOnly); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder systemTemp;
        EnvironmentGuard tmpdir("TMPDIR", encoded(systemTemp.path()));
        EnvironmentGuard cache("XDG_CACHE_HOME", encoded(systemTemp.file("home/.cache")));
        c.plant(systemTemp.file(ownName));
        const FolderFacts planted = factsOf(systemTemp.file(ownName));

        EXPECT_EQ(Commands::GetTempDir(), systemTemp.file("home/.cache/vuruz/"));
        EXPECT_TRUE(Commands::isPrivateFolder(systemTemp.file("home/.cache/vuruz")));

        ::chmod(encoded(systemTemp.file("home/.cache/vuruz")).constData(), 0755);
        const QString dir = Commands::GetTempDir();
        ASSERT_TRUE(dir.startsWith(systemTemp.file(ownName + "-"))) << dir.toStdString();
        EXPECT_TRUE(Commands::isPrivateFolder(dir.chopped(1)));
        EXPECT_EQ(Commands::GetTempDir(), dir) << "the lock and the beat must agree";
        const FolderFacts after = factsOf(systemTemp.file(ownName));
        EXPECT_EQ(after.owner, planted.owner);
        EXPECT_EQ(after.mode, planted.mode);
    }
}

// A pipe, a device, a link or a huge file where the beat should be is never
// read: the call returns at once and the default sound plays instead.
TEST(FilePlaces, TheBeatIsPlayedOnlyFromAPlainFileOfSaneSize)
{
    struct Recorder final : ResWave::SoundOutput {
        QStringList played;
        void playMemory(const QString& name, const QByteArray& image, int flags,
                        ResWave::SoundDone) override
        {
            played << QStringLiteral("memory:%1:%2:%3").arg(name).arg(image.size()).arg(flags);
        }
        void playFile(const QString& path, int) override { played << "file:" + path; }
    } recorder;

    TempFolder dir;
    dir.write("beat.wav", QByteArray(20 * 1024, 'b'));
    ASSERT_EQ(::mkfifo(encoded(dir.file("fifo.wav")).constData(), 0600), 0);
    {
        QFile sparse(dir.file("huge.wav"));
        ASSERT_TRUE(sparse.open(QIODevice::WriteOnly));
        ASSERT_TRUE(sparse.resize(qint64(2) << 30));
    }
    QFile::link(dir.file("beat.wav"), dir.file("link.wav"));
    QDir(dir.path()).mkdir("folder.wav");

    const int refusedFlags = ResWave::SND_ASYNC | ResWave::SND_MEMORY;
    const std::pair<QString, QString> cases[] = {
        {dir.file("beat.wav"), "file:" + dir.file("beat.wav")},
        {dir.file("missing.wav"), "file:" + dir.file("missing.wav")},
        {dir.file("fifo.wav"),
         QStringLiteral("memory:%1:0:%2").arg(dir.file("fifo.wav")).arg(refusedFlags)},
        {dir.file("huge.wav"),
         QStringLiteral("memory:%1:0:%2").arg(dir.file("huge.wav")).arg(refusedFlags)},
        {dir.file("link.wav"),
         QStringLiteral("memory:%1:0:%2").arg(dir.file("link.wav")).arg(refusedFlags)},
        {dir.file("folder.wav"),
         QStringLiteral("memory:%1:0:%2").arg(dir.file("folder.wav")).arg(refusedFlags)},
        {"/dev/zero", QStringLiteral("memory:/dev/zero:0:%1").arg(refusedFlags)},
    };
    for (const auto& [path, expected] : cases) {
        recorder.played.clear();
        ResWave::PlayWaveFile(recorder, path);
        EXPECT_EQ(recorder.played, QStringList{expected});
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
        {dir.file("scores.dat"), true},
        {dir.file("empty.dat"), true},
        {dir.file("link"), true},
        {dir.file("folder"), false},
        {dir.path(), false},
        {dir.file("missing.dat"), false},
        {dir.file("dangling"), false},
        {dir.file("scores.dat/x"), false},
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
    for (const QString& path : {QStringLiteral("/opt/GAMES/VURUZ~1/Vuruz.EXE"),
                                QStringLiteral("/home/a b/x-y(z)_w"), QString()})
        EXPECT_EQ(Commands::GetLongPath(path), path);
}

// A copy run from its build or unpacked folder keeps its files beside it while
// it can write there; an installed copy never does, even as root, who could.
// Elsewhere the settings go to the config folder and the table to the data
// folder.
TEST(FilePlaces, PlayerFilesLiveBesideAnUninstalledWritableProgramOnly)
{
    TempFolder dir;
    EnvironmentGuard dataHome("XDG_DATA_HOME", QFile::encodeName(dir.file("data")));
    EnvironmentGuard configHome("XDG_CONFIG_HOME", QFile::encodeName(dir.file("config")));
    QDir(dir.path()).mkdir("game");
    QDir(dir.path()).mkdir("readonly");
    QFile::setPermissions(dir.file("readonly"), QFile::ReadOwner | QFile::ExeOwner);
    dir.write("blocker", "a file, not a folder");
    const bool root = ::geteuid() == 0;
    using Commands::PlayerFile;
    struct Case {
        const char* what;
        QString program;
        bool installed;
        PlayerFile which;
        QString expected;
    };
    const Case cases[] = {
        {"writable", dir.file("game/"), false, PlayerFile::Settings, dir.file("game/")},
        {"writable, table", dir.file("game/"), false, PlayerFile::Table, dir.file("game/")},
        {"installed", dir.file("game/"), true, PlayerFile::Settings, dir.file("config/vuruz/")},
        {"installed, table", dir.file("game/"), true, PlayerFile::Table, dir.file("data/vuruz/")},
        {"no folder", dir.file("blocker/bin/"), false, PlayerFile::Settings,
         dir.file("config/vuruz/")},
        {"no folder, table", dir.file("blocker/bin/"), false, PlayerFile::Table,
         dir.file("data/vuruz/")},
        {"read-only", dir.file("readonly/"), false, PlayerFile::Table,
         root ? dir.file("readonly/") : dir.file("data/vuruz/")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDir(dir.file("config")).removeRecursively();
        QDir(dir.file("data")).removeRecursively();
        EXPECT_EQ(Commands::playerFilesFolder(c.program, "vuruz", c.which, c.installed),
                  c.expected);
        if (c.expected != c.program) {
            EXPECT_TRUE(QFileInfo(c.expected).isDir());
        } else {
            EXPECT_FALSE(QFileInfo::exists(dir.file("config/vuruz")) ||
                         QFileInfo::exists(dir.file("data/vuruz")));
        }
    }
    QFile::setPermissions(dir.file("readonly"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Installed is where the program lies, also when it is started through a link
// or a path with "..", and only that folder, not one below or beside it.
TEST(FilePlaces, AnInstalledProgramIsKnownByItsFolder)
{
    TempFolder dir;
    QDir(dir.path()).mkpath("usr/games/sub");
    QDir(dir.path()).mkpath("usr/gamesx");
    QFile::link(dir.file("usr/games"), dir.file("link"));
    const QStringList installed{dir.file("usr/games")};
    struct Case {
        const char* what;
        QString program;
        bool expected;
    };
    const Case cases[] = {
        {"the folder", dir.file("usr/games/"), true},
        {"through a link", dir.file("link/"), true},
        {"with ..", dir.file("usr/games/sub/../"), true},
        {"a folder below", dir.file("usr/games/sub/"), false},
        {"a name that starts alike", dir.file("usr/gamesx/"), false},
        {"a build folder", dir.path(), false},
        {"empty", QString(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Commands::isInstalledProgram(c.program, installed), c.expected) << c.what;
    EXPECT_TRUE(Commands::installFolders().contains(QStringLiteral(VURUZ_INSTALL_BINDIR)));
    EXPECT_FALSE(Commands::isInstalledProgram(QCoreApplication::applicationDirPath() + u'/'))
        << "the tests run from the build folder";
}

// Files from the old places are taken over once, and nothing is lost: the
// settings the data folder held before, else the copy beside the program.
TEST(FilePlaces, FilesFromTheOldPlacesAreTakenOverOnce)
{
    struct Case {
        const char* what;
        std::optional<QByteArray> beside, oldData, current;
        QByteArray expected;
        bool oldDataRemains;
    };
    const Case cases[] = {
        {"nothing anywhere", std::nullopt, std::nullopt, std::nullopt, QByteArray(), false},
        {"beside the program", "beside", std::nullopt, std::nullopt, "beside", false},
        {"old data folder", std::nullopt, "old", std::nullopt, "old", false},
        {"old data folder wins", "beside", "old", std::nullopt, "old", false},
        {"already there", "beside", "old", "current", "current", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        EnvironmentGuard dataHome("XDG_DATA_HOME", QFile::encodeName(dir.file("data")));
        EnvironmentGuard configHome("XDG_CONFIG_HOME", QFile::encodeName(dir.file("config")));
        QDir(dir.path()).mkpath("game");
        QDir(dir.path()).mkpath("data/vuruz");
        QDir(dir.path()).mkpath("config/vuruz");
        if (c.beside)
            dir.write("game/vuruz.ini", *c.beside);
        if (c.oldData)
            dir.write("data/vuruz/vuruz.ini", *c.oldData);
        if (c.current)
            dir.write("config/vuruz/vuruz.ini", *c.current);

        for (int start = 0; start < 2; ++start)
            Commands::takeOverOldFile(dir.file("game/"), "vuruz", dir.file("config/vuruz/"),
                                      "vuruz.ini");
        EXPECT_EQ(QFileInfo::exists(dir.file("config/vuruz/vuruz.ini")), !c.expected.isEmpty());
        EXPECT_EQ(dir.read("config/vuruz/vuruz.ini"), c.expected);
        EXPECT_EQ(QFileInfo::exists(dir.file("data/vuruz/vuruz.ini")), c.oldDataRemains);
        if (c.beside) {
            EXPECT_EQ(dir.read("game/vuruz.ini"), *c.beside) << "beside the program stays";
        }

        // A copy that keeps its files beside itself takes nothing over.
        dir.write("data/vuruz/vuruz.ini", "old");
        Commands::takeOverOldFile(dir.file("game/"), "vuruz", dir.file("game/"), "vuruz.ini");
        EXPECT_EQ(dir.read("data/vuruz/vuruz.ini"), "old");
    }
}

} // namespace
