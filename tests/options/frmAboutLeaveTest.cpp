#include "DialogHarness.h"
#include "sound/ResWave.h"
#include "startup/Globals.h"
#include "startup/IniStore.h"
#include "startup/StartUp.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>

namespace {

using Writes = std::vector<std::pair<QString, QString>>;

// "Zurück" stores the bar's value and the language, in that order, closes the
// dialog and gives the main window its input back.
TEST_F(OptionsDialogTest, BackStoresTimerAndLanguage)
{
    main->setEnabled(false);
    openDialog([&](frmAbout& dialog) {
        clickAt(*control<QRadioButton>(dialog, "optLang1"), {8, 8});
        control<QScrollBar>(dialog, "HScroll1")->setValue(2000);
        clickAt(*control<QPushButton>(dialog, "Command2"), {8, 8});
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(settings.writes, (Writes{{"Timer", "2000"}, {"Language", "1"}}));
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(Commands::Language, 1);
    EXPECT_EQ(answerTimer.interval(), 2000);
    EXPECT_EQ(programEnds, 0);
}

// Given the program's settings file, the dialog works on it.
TEST_F(OptionsDialogTest, ReadsAndWritesTheSettingsFile)
{
    Commands::SettingsFile file;
    dialogSettings = &file;
    const QString title = Commands::AppTitle;
    const QString iniFile = Commands::IniFile;
    Commands::AppTitle = Commands::kProductTitle;
    Commands::IniFile = temp.file(QStringLiteral("vuruz.ini"));
    const auto stored = [](const char* key) {
        return Commands::ReadIniString(Commands::AppTitle, QString::fromLatin1(key),
                                       Commands::IniFile, QStringLiteral("(none)"));
    };
    Commands::WriteIniString(Commands::AppTitle, "Timer", "1500", Commands::IniFile);
    Commands::WriteIniString(Commands::AppTitle, "Language", "1", Commands::IniFile);

    openDialog([&](frmAbout& dialog) {
        auto* bar = control<QScrollBar>(dialog, "HScroll1");
        EXPECT_EQ(bar->value(), 1500);
        EXPECT_TRUE(control<QRadioButton>(dialog, "optLang1")->isChecked());
        bar->setValue(2500);
        clickAt(*control<QRadioButton>(dialog, "optLang0"), {8, 8});
        clickAt(*control<QPushButton>(dialog, "Command2"), {8, 8});
    });
    EXPECT_EQ(stored("Timer"), QStringLiteral("2500"));
    EXPECT_EQ(stored("Language"), QStringLiteral("0"));
    Commands::AppTitle = title;
    Commands::IniFile = iniFile;
}

// Closing by the close box saves nothing, keeps the live changes and gives
// the main window its input back.
TEST_F(OptionsDialogTest, CloseBoxSavesNothingAndEnablesMainWindow)
{
    main->setEnabled(false);
    openDialog([&](frmAbout& dialog) {
        clickAt(*control<QRadioButton>(dialog, "optLang1"), {8, 8});
        control<QScrollBar>(dialog, "HScroll1")->setValue(2000);
        dialog.close();
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_TRUE(settings.writes.empty());
    EXPECT_TRUE(main->isEnabled());
    EXPECT_EQ(Commands::Language, 1);
    EXPECT_EQ(answerTimer.interval(), 2000);
}

struct EndCase {
    const char* what;
    bool chooseEnglish;
    bool rhythmFilePresent;
    const char* farewell;
};

// "Programm beenden" says goodbye in the live language, removes the rhythm
// file and ends the program without storing anything; a missing rhythm file
// does not keep the program alive.
TEST_F(OptionsDialogTest, ProgramEndPlaysFarewellRemovesRhythmAndStoresNothing)
{
    const EndCase cases[] = {
        {"German", false, true, "GAMEOVER"},
        {"English chosen, not saved", true, true, "EN_GAMEOVER"},
        {"rhythm file already gone", false, false, "GAMEOVER"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        programEnds = 0;
        sound.played.clear();
        settings.writes.clear();
        Commands::Language = 0;
        if (c.rhythmFilePresent)
            temp.write(Commands::kRhythmFileName, "RIFF");
        else
            QFile::remove(rhythmFile());
        openDialog([&](frmAbout& dialog) {
            if (c.chooseEnglish)
                clickAt(*control<QRadioButton>(dialog, "optLang1"), {8, 8});
            clickAt(*control<QPushButton>(dialog, "Command1"), {8, 8});
        });
        EXPECT_EQ(sound.played, QStringList{QString::fromLatin1(c.farewell)});
        EXPECT_FALSE(QFile::exists(rhythmFile()));
        EXPECT_EQ(programEnds, 1);
        EXPECT_TRUE(settings.writes.empty());
    }
}

// With the real end of the program: the process ends normally once the
// farewell has been heard, the rhythm file is gone and nothing is stored.
TEST(OptionsDialogExit, ProgramEndEndsTheProcessAtOnce)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child process runs this body again; it must use the parent's folder.
    std::optional<TempFolder> own;
    QString folder = qEnvironmentVariable("VURUZ_OPTIONS_EXIT_FOLDER");
    if (folder.isEmpty()) {
        own.emplace();
        folder = own->path();
        qputenv("VURUZ_OPTIONS_EXIT_FOLDER", folder.toLocal8Bit());
        QFile rhythm(folder + Commands::kRhythmFileName);
        ASSERT_TRUE(rhythm.open(QIODevice::WriteOnly));
    }
    const QString stored = folder + QStringLiteral("stored");

    EXPECT_EXIT(
        {
            // Writes land in a file the parent can see.
            class FileSettings final : public Commands::SettingsAccess {
              public:
                explicit FileSettings(QString path) : m_path(std::move(path)) {}
                QString read(const Commands::Setting& setting) override
                {
                    return setting.defaultText();
                }
                void write(const Commands::Setting& setting, const QString& value) override
                {
                    QFile file(m_path);
                    if (file.open(QIODevice::Append))
                        file.write((setting.name() + '=' + value + '\n').toUtf8());
                }

              private:
                QString m_path;
            } fileSettings(stored);
            RecordingOutput silent;
            AppModul::HighScoreTable table;
            Commands::TempDir = folder;
            auto* dialog =
                new frmAbout(nullptr, nullptr, {silent, fileSettings, table, Commands::endProgram});
            dialog->Form_Load();
            dialog->open();
            dialog->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
            QTest::qWait(5000);
            std::_Exit(4); // not reached when the program really ended
        },
        ::testing::ExitedWithCode(0), "");

    EXPECT_FALSE(QFile::exists(folder + Commands::kRhythmFileName));
    EXPECT_FALSE(QFile::exists(stored));
    qunsetenv("VURUZ_OPTIONS_EXIT_FOLDER");
}

} // namespace
