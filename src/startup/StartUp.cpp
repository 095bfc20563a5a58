#include "startup/StartUp.h"

#include "game/frmMain.h"
#include "sound/ResWave.h"
#include "sound/SoundNames.h"
#include "sound/SoundOutput.h"
#include "startup/AppDataPlaces.h"
#include "startup/FilePlaces.h"
#include "startup/Globals.h"
#include "startup/IniStore.h"
#include "startup/NumberText.h"
#include "startup/SafeWrite.h"
#include "startup/SaveResourceToFile.h"
#include "startup/Settings.h"
#include "startup/SingleInstance.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <array>
#include <cstdlib>
#include <memory>

namespace Commands {

namespace {

// The program file of this start: its folder and name place the files.
QString g_programFile;

// The main window lives for the whole run. It goes before the application
// object does, and a later start-up in the same process (tests) replaces it.
std::unique_ptr<frmMain> g_mainWindow;

bool initAppPath()
{
    const QString file = g_programFile;
    if (file.isEmpty())
        return false;
    QString path = QFileInfo(file).absolutePath();
    AddBackslash(path);
    AppPath = path;
    return true;
}

bool initExeName()
{
    QString name = QFileInfo(g_programFile).fileName();
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    if (name.isEmpty())
        return false;
    ExeName = name;
    return true;
}

bool initTempDir()
{
    const QString dir = GetTempDir();
    if (dir.isEmpty())
        return false;
    TempDir = dir;
    return true;
}

bool prepareAppTitle()
{
    AppTitle = kProductTitle;
    return true;
}

// Clears what killed saves left beside a player file, then brings the copy
// beside a read-only program over to the data folder.
void preparePlayerFile(const QString& folder, const QString& file)
{
    const QString fileName = QFileInfo(file).fileName();
    removeStaleSaveFiles(AppPath + fileName);
    if (folder != AppPath)
        removeStaleSaveFiles(file);
    takeOverFileBesideProgram(AppPath, folder, fileName);
}

bool prepareIniFile()
{
    if (AppPath.isEmpty() || ExeName.isEmpty())
        return false;
    const QString folder = playerFilesFolder(AppPath, ExeName);
    // The settings file is the program file with "ini" for its extension.
    IniFile =
        GetLongPath(folder + ExeName + QStringLiteral(".exe")).chopped(3) + QStringLiteral("ini");
    preparePlayerFile(folder, IniFile);
    return true;
}

bool prepareRhythmFile()
{
    if (TempDir.isEmpty())
        return false;
    removeStaleSaveFiles(TempDir + kRhythmFileName);
    return !AppModul::SaveResourceToFile(TempDir + kRhythmFileName,
                                         QString::fromLatin1(Sounds::kRhythm),
                                         QStringLiteral("WAVE"))
                .isEmpty();
}

bool prepareHiScoreFile()
{
    if (AppPath.isEmpty())
        return false;
    const QString folder = playerFilesFolder(AppPath, ExeName);
    HiScoreFile = folder + QStringLiteral("highscore.dat");
    preparePlayerFile(folder, HiScoreFile);
    return true;
}

bool loadMainWindow()
{
    static const bool cleanupRegistered = [] {
        qAddPostRoutine([] { g_mainWindow.reset(); });
        return true;
    }();
    Q_UNUSED(cleanupRegistered);
    g_mainWindow.reset();
    g_mainWindow = std::make_unique<frmMain>(ResWave::soundOutput(), Game::clockSeededDraw);
    g_mainWindow->Form_Load();
    return true;
}

bool applyTimerSetting()
{
    frmMain* window = g_mainWindow.get();
    if (!window)
        return false;
    const QString text = settingsAccess().read(kTimerSetting);
    const std::optional<qint32> interval = toInt32(leadingNumber(text));
    // The timer takes 0 to 65535 ms; anything else leaves its design interval.
    if (!interval || *interval < 0 || *interval > 65535)
        return false;
    window->Timer1->setInterval(*interval);
    return true;
}

bool applyLanguageSetting()
{
    const QString text = settingsAccess().read(kLanguageSetting);
    const std::optional<qint16> language = toInt16(leadingNumber(text));
    if (!language)
        return false;
    Language = *language;
    return true;
}

bool showMainWindow()
{
    frmMain* window = g_mainWindow.get();
    if (!window)
        return false;
    window->show();
    return true;
}

constexpr std::array kSteps{
    StartStep{"AppPath", initAppPath},
    StartStep{"ExeName", initExeName},
    StartStep{"TempDir", initTempDir},
    StartStep{"AppTitle", prepareAppTitle},
    StartStep{"IniFile", prepareIniFile},
    StartStep{"RhythmFile", prepareRhythmFile},
    StartStep{"HiScoreFile", prepareHiScoreFile},
    StartStep{"MainWindow", loadMainWindow},
    StartStep{"TimerInterval", applyTimerSetting},
    StartStep{"Language", applyLanguageSetting},
    StartStep{"ShowMainWindow", showMainWindow},
};
constexpr std::size_t kInitPathsSteps = 3;
constexpr std::size_t kPrepareFilesSteps = 4;

StartSteps runSteps(std::span<const StartStep> steps)
{
    StartSteps done;
    for (const StartStep& step : steps)
        done.emplace_back(step.name, step.run());
    return done;
}

void append(StartSteps& to, const StartSteps& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

} // namespace

std::span<const StartStep> startStepTable()
{
    return kSteps;
}

StartSteps InitPaths(const QString& programFile)
{
    g_programFile = programFile;
    return runSteps(startStepTable().first(kInitPathsSteps));
}

StartSteps PrepareFiles()
{
    return runSteps(startStepTable().subspan(kInitPathsSteps, kPrepareFilesSteps));
}

StartReport Main(const QString& programFile)
{
    StartReport report;
    report.onlyCopy = claimSingleInstance();
    report.steps.emplace_back("SingleInstance", report.onlyCopy);
    if (!report.onlyCopy)
        return report;
    append(report.steps, InitPaths(programFile));
    append(report.steps, PrepareFiles());
    append(report.steps, runSteps(startStepTable().subspan(kInitPathsSteps + kPrepareFilesSteps)));
    report.mainWindow = g_mainWindow.get();
    return report;
}

void chooseWindowPlatform()
{
    // Without an X display (no XWayland) the toy stands on Wayland itself,
    // translucent, though not above other windows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "wayland" : "xcb");
}

void endProgram()
{
    releaseSingleInstance();
    std::_Exit(0);
}

} // namespace Commands
