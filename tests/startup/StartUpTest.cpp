#include "startup/StartUp.h"

#include "EnvironmentGuard.h"
#include "app/Program.h"
#include "game/frmMain.h"
#include "sound/SoundNames.h"
#include "startup/Globals.h"
#include "startup/IniStore.h"
#include "startup/Resources.h"
#include "startup/Settings.h"
#include "startup/SingleInstance.h"
#include "support/QtPrinters.h"
#include "support/RecordingOutput.h"
#include "support/TempFolder.h"
#include "support/TinyTmpfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

const std::vector<std::string> kStepOrder = {
    "SingleInstance", "AppPath",     "ExeName",    "TempDir",       "AppTitle", "IniFile",
    "RhythmFile",     "HiScoreFile", "MainWindow", "TimerInterval", "Language", "ShowMainWindow"};

class StartUp : public ::testing::Test {
  protected:
    void SetUp() override
    {
        using namespace Commands;
        AppPath.clear();
        ExeName.clear();
        TempDir.clear();
        AppTitle.clear();
        IniFile.clear();
        HiScoreFile.clear();
        Language = 0;
        m_program = m_game.file("vuruz");
    }
    void TearDown() override { Commands::releaseSingleInstance(); }
    // Starts the program as if its file were m_program; notes the steps.
    bool start()
    {
        const StartReport report = m_programObject.Main(m_program);
        record(report.steps);
        m_window = report.mainWindow;
        return report.onlyCopy;
    }
    void record(const Commands::StartSteps& steps)
    {
        for (const auto& [step, done] : steps) {
            m_steps.emplace_back(step);
            if (!done)
                m_failed.emplace(step);
        }
    }
    void clearRecord()
    {
        m_steps.clear();
        m_failed.clear();
    }

    TempFolder m_runtime;
    TempFolder m_game;
    TempFolder m_dataHome;
    TempFolder m_configHome;
    EnvironmentGuard m_runtimeEnv{"XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path())};
    EnvironmentGuard m_dataEnv{"XDG_DATA_HOME", QFile::encodeName(m_dataHome.path())};
    EnvironmentGuard m_configEnv{"XDG_CONFIG_HOME", QFile::encodeName(m_configHome.path())};
    std::vector<std::string> m_steps;
    std::set<std::string> m_failed;
    QString m_program;
    frmMain* m_window = nullptr;
    RecordingOutput m_sound;
    Commands::SettingsFile m_settings;
    Program m_programObject{{m_sound, m_settings, [] { return 0.0; }, [] {}}};
};

// The window is placed and shown before its two settings are applied, and
// every variable holds what the later steps build on.
TEST_F(StartUp, RunsItsStepsInOrder)
{
    m_game.write("vuruz.ini", "[wendrake vuruz erireviru simulator]\ntimer = 650ms\nLanguage=2\n");
    ASSERT_TRUE(start());

    EXPECT_EQ(m_steps, kStepOrder);
    EXPECT_EQ(m_failed, std::set<std::string>{});
    EXPECT_EQ(Commands::AppPath, m_game.path());
    EXPECT_EQ(Commands::ExeName, "vuruz");
    EXPECT_EQ(Commands::TempDir, m_runtime.path());
    EXPECT_EQ(Commands::AppTitle, "Wendrake Vuruz Erireviru Simulator");
    EXPECT_EQ(Commands::IniFile, m_game.file("vuruz.ini"));
    EXPECT_EQ(Commands::HiScoreFile, m_game.file("highscore.dat"));

    ASSERT_NE(m_window, nullptr);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->findChild<QTimer*>("Timer1")->interval(), 650);
    EXPECT_EQ(Commands::Language, 2);

    EXPECT_EQ(m_runtime.read("rhyRhythm1.wav"), *Commands::loadResource("WAVE", "RHYRHYTHM1"));
}

// A setting the program cannot take fails its own step only: the timer keeps
// its design interval, Language what it had, and the next step still runs.
TEST_F(StartUp, SettingsThatDoNotFitAreSkipped)
{
    struct Case {
        const char* what;
        std::optional<QByteArray> ini;
        int interval;
        qint16 language;
        std::set<std::string> failed;
    };
    const QByteArray head = "[Wendrake Vuruz Erireviru Simulator]\n";
    const Case cases[] = {
        {"no settings file", std::nullopt, 800, 0, {}},
        {"empty values", head + "Timer=\nLanguage=\n", 800, 0, {}},
        {"plain values", head + "Timer=1200\nLanguage=1\n", 1200, 1, {}},
        {"no leading number", head + "Timer=abc\nLanguage=x1\n", 0, 0, {}},
        {"rounded half to even", head + "Timer=650.5\nLanguage=1.5\n", 650, 2, {}},
        {"timer too long", head + "Timer=70000\nLanguage=1\n", 800, 1, {"TimerInterval"}},
        {"timer rounds past the top",
         head + "Timer=65535.5\nLanguage=1\n",
         800,
         1,
         {"TimerInterval"}},
        {"timer at the top", head + "Timer=65535.4\n", 65535, 0, {}},
        {"negative timer", head + "Timer=-5\nLanguage=1\n", 800, 1, {"TimerInterval"}},
        {"timer overflows", head + "Timer=1e400\nLanguage=1\n", 800, 1, {"TimerInterval"}},
        {"language too big", head + "Timer=700\nLanguage=40000\n", 700, 7, {"Language"}},
        {"language too small", head + "Language=-32769\n", 800, 7, {"Language"}},
    };
    for (const auto& c : cases) {
        QFile::remove(m_game.file("vuruz.ini"));
        if (c.ini)
            m_game.write("vuruz.ini", *c.ini);
        Commands::Language = 7;
        clearRecord();
        ASSERT_TRUE(start()) << c.what;
        EXPECT_EQ(m_steps, kStepOrder) << c.what;
        EXPECT_EQ(m_failed, c.failed) << c.what;
        EXPECT_EQ(m_window->findChild<QTimer*>("Timer1")->interval(), c.interval) << c.what;
        EXPECT_EQ(Commands::Language, c.language) << c.what;
    }
}

TEST_F(StartUp, ARhythmFileThatCannotBeWrittenDoesNotStopTheStart)
{
    QDir(m_runtime.path()).mkdir("rhyRhythm1.wav");
    m_game.write("vuruz.ini", "[Wendrake Vuruz Erireviru Simulator]\nTimer=900\n");
    ASSERT_TRUE(start());
    EXPECT_EQ(m_steps, kStepOrder);
    EXPECT_EQ(m_failed, std::set<std::string>{"RhythmFile"});
    EXPECT_EQ(Commands::HiScoreFile, m_game.file("highscore.dat"));
    ASSERT_NE(m_window, nullptr);
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_EQ(m_window->findChild<QTimer*>("Timer1")->interval(), 900);
}

TEST_F(StartUp, SettingsFileIsTheProgramFileWithIniForItsExtension)
{
    const Commands::StartContext start{m_game.file("Toy.exe"),
                                       QString::fromLatin1(Sounds::kRhythm)};
    record(Commands::InitPaths(start));
    record(Commands::PrepareFiles(start));
    EXPECT_EQ(Commands::ExeName, "Toy");
    EXPECT_EQ(Commands::IniFile, m_game.file("Toy.ini"));
    EXPECT_EQ((std::vector<std::string>(m_steps.begin(), m_steps.end())),
              std::vector<std::string>(kStepOrder.begin() + 1, kStepOrder.begin() + 8));
}

// A copy in a folder the player cannot write keeps its settings in the
// config folder and its scores in the data folder, and finds them there at
// the next start.
TEST_F(StartUp, FilesMoveToThePlayersFoldersWhenTheProgramFolderCannotBeWritten)
{
    m_game.write("blocker", "a file where a folder should be");
    m_program = m_game.file("blocker/bin/vuruz");
    ASSERT_TRUE(start());
    EXPECT_EQ(Commands::IniFile, m_configHome.file("vuruz/vuruz.ini"));
    EXPECT_EQ(Commands::HiScoreFile, m_dataHome.file("vuruz/highscore.dat"));
    EXPECT_TRUE(QFileInfo(m_dataHome.file("vuruz")).isDir());

    Commands::WriteIniString(Commands::AppTitle, "Timer", "1500", Commands::IniFile);
    ASSERT_TRUE(start());
    EXPECT_EQ(m_window->findChild<QTimer*>("Timer1")->interval(), 1500);
}

// A program folder that cannot be written, with the player's files beside it
// (a real read-only file system, which stops root too): the first start copies
// them into the player's folders, so the game shows what the player had; the
// settings an earlier version kept in the data folder are the player's newer
// ones and move to the config folder.
TEST_F(StartUp, FilesBesideAReadOnlyProgramAreTakenOverOnce)
{
    const QByteArray ini = "; mine\n[Wendrake Vuruz Erireviru Simulator]\nTimer=1234\nLanguage=1\n";
    const QByteArray scores = QByteArray("Ada                 \x63\x00", 22).repeated(10);
    struct Case {
        const char* what;
        std::optional<QByteArray> dataIni;
        int interval;
        qint16 language;
    };
    const Case cases[] = {
        {"data folder empty", std::nullopt, 1234, 1},
        {"data folder has its own settings",
         "[Wendrake Vuruz Erireviru Simulator]\nTimer=900\nLanguage=0\n", 900, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TinyTmpfs program(64);
        if (!program.mounted())
            GTEST_SKIP() << program.whyNot().toStdString();
        TempFolder dataHome;
        EnvironmentGuard dataEnv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
        TempFolder configHome;
        EnvironmentGuard configEnv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
        for (const auto& [name, bytes] :
             {std::pair{"vuruz.ini", ini}, std::pair{"highscore.dat", scores}}) {
            QFile file(program.file(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
        if (c.dataIni) {
            QDir(dataHome.path()).mkdir("vuruz");
            dataHome.write("vuruz/vuruz.ini", *c.dataIni);
        }
        ASSERT_TRUE(program.makeReadOnly());
        m_program = program.file("vuruz");

        ASSERT_TRUE(start());
        EXPECT_EQ(Commands::IniFile, configHome.file("vuruz/vuruz.ini"));
        EXPECT_EQ(Commands::HiScoreFile, dataHome.file("vuruz/highscore.dat"));
        EXPECT_EQ(m_window->findChild<QTimer*>("Timer1")->interval(), c.interval);
        EXPECT_EQ(Commands::Language, c.language);
        EXPECT_EQ(configHome.read("vuruz/vuruz.ini"), c.dataIni.value_or(ini));
        EXPECT_FALSE(QFileInfo::exists(dataHome.file("vuruz/vuruz.ini")));
        EXPECT_EQ(dataHome.read("vuruz/highscore.dat"), scores);

        // Later saves go to the data folder and are not undone by the next start.
        Commands::WriteIniString(Commands::AppTitle, "Timer", "1500", Commands::IniFile);
        ASSERT_TRUE(start());
        EXPECT_EQ(m_window->findChild<QTimer*>("Timer1")->interval(), 1500);
        m_program = m_game.file("vuruz");
    }
}

// Leftovers of saves killed half-way are cleared at the next start, beside
// the program and in the beat's folder; a save still being written by a live
// copy is left alone.
TEST_F(StartUp, LeftoversOfKilledSavesAreClearedAtStart)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const QString dead = QString::number(child);
    const QString live = QString::number(::getppid());
    const QStringList stale = {".vuruz.ini.vuruz-save-" + dead + "-aB3dE6",
                               ".highscore.dat.vuruz-save-" + dead + "-Zz9Yy8"};
    const QStringList kept = {".vuruz.ini.vuruz-save-" + live + "-aB3dE6", "vuruz.ini.aB3dE6",
                              ".vuruz.ini.aB3dE6"};
    for (const QString& name : stale + kept)
        m_game.write(name, "half a save");
    m_runtime.write(".rhyRhythm1.wav.vuruz-save-" + dead + "-Qq1Ww2", "half a beat");

    ASSERT_TRUE(start());
    for (const QString& name : stale)
        EXPECT_FALSE(QFileInfo::exists(m_game.file(name))) << name.toStdString();
    for (const QString& name : kept)
        EXPECT_TRUE(QFileInfo::exists(m_game.file(name))) << name.toStdString();
    EXPECT_FALSE(
        QFileInfo::exists(m_runtime.file(".rhyRhythm1.wav.vuruz-save-" + dead + "-Qq1Ww2")));
}

// Without a runtime folder the beat goes to a folder of our own in the system
// temp folder: a pipe another user planted under its name there is never
// touched, and the game does not hang on it.
TEST_F(StartUp, WithoutARuntimeFolderTheBeatGoesToAPrivateFolder)
{
    TempFolder systemTemp;
    EnvironmentGuard runtimeEnv("XDG_RUNTIME_DIR", std::nullopt);
    EnvironmentGuard tmpdir("TMPDIR", QFile::encodeName(systemTemp.path()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(systemTemp.file("rhyRhythm1.wav")).constData(), 0666), 0);

    ASSERT_TRUE(start());
    const QString own = systemTemp.file("vuruz-" + QString::number(::geteuid()) + "/");
    EXPECT_EQ(Commands::TempDir, own);
    struct stat planted {};
    ASSERT_EQ(::lstat(QFile::encodeName(systemTemp.file("rhyRhythm1.wav")).constData(), &planted),
              0);
    EXPECT_TRUE(S_ISFIFO(planted.st_mode));
    EXPECT_EQ(systemTemp.read("vuruz-" + QString::number(::geteuid()) + "/rhyRhythm1.wav"),
              *Commands::loadResource("WAVE", "RHYRHYTHM1"));
}

TEST(WindowPlatform, ChoosesX11UnderWaylandUnlessThePlayerChoseAPlatformOrThereIsNoX)
{
    struct Case {
        std::optional<QByteArray> platform;
        std::optional<QByteArray> wayland;
        std::optional<QByteArray> display;
        std::optional<QByteArray> expected;
    };
    const std::optional<QByteArray> none;
    const Case cases[] = {
        {none, "wayland-0", ":0", "xcb"},
        {QByteArray(), "wayland-0", ":0", "xcb"},
        {"wayland", "wayland-0", ":0", "wayland"},
        {"offscreen", "wayland-0", ":0", "offscreen"},
        {none, none, ":0", none},
        {none, QByteArray(), ":0", none},
        {none, "wayland-0", none, "wayland"},
        {none, "wayland-0", QByteArray(), "wayland"},
        {"xcb", "wayland-0", none, "xcb"},
    };
    for (const auto& c : cases) {
        EnvironmentGuard platform("QT_QPA_PLATFORM", c.platform);
        EnvironmentGuard wayland("WAYLAND_DISPLAY", c.wayland);
        EnvironmentGuard display("DISPLAY", c.display);
        Commands::chooseWindowPlatform();
        const std::optional<QByteArray> now =
            qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")
                ? std::nullopt
                : std::optional<QByteArray>(qgetenv("QT_QPA_PLATFORM"));
        EXPECT_EQ(now, c.expected);
    }
}

} // namespace
