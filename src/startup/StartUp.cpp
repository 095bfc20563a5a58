#include "startup/StartUp.h"

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

bool initAppPath(const StartContext& start)
{
    const QString file = start.programFile;
    if (file.isEmpty())
        return false;
    QString path = QFileInfo(file).absolutePath();
    AddBackslash(path);
    AppPath = path;
    return true;
}

bool initExeName(const StartContext& start)
{
    QString name = QFileInfo(start.programFile).fileName();
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    if (name.isEmpty())
        return false;
    ExeName = name;
    return true;
}

bool initTempDir(const StartContext& /*start*/)
{
    const QString dir = GetTempDir();
    if (dir.isEmpty())
        return false;
    TempDir = dir;
    return true;
}

bool prepareAppTitle(const StartContext& /*start*/)
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
    takeOverOldFile(AppPath, ExeName, folder, fileName);
}

bool prepareIniFile(const StartContext& /*start*/)
{
    if (AppPath.isEmpty() || ExeName.isEmpty())
        return false;
    const QString folder = playerFilesFolder(AppPath, ExeName, PlayerFile::Settings);
    // The settings file is the program file with "ini" for its extension.
    IniFile =
        GetLongPath(folder + ExeName + QStringLiteral(".exe")).chopped(3) + QStringLiteral("ini");
    preparePlayerFile(folder, IniFile);
    return true;
}

bool prepareRhythmFile(const StartContext& start)
{
    if (TempDir.isEmpty())
        return false;
    removeStaleSaveFiles(TempDir + kRhythmFileName);
    return !AppModul::SaveResourceToFile(TempDir + kRhythmFileName, start.rhythmResource,
                                         QStringLiteral("WAVE"))
                .isEmpty();
}

bool prepareHiScoreFile(const StartContext& /*start*/)
{
    if (AppPath.isEmpty())
        return false;
    const QString folder = playerFilesFolder(AppPath, ExeName, PlayerFile::Table);
    HiScoreFile = folder + QStringLiteral("highscore.dat");
    preparePlayerFile(folder, HiScoreFile);
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
};
constexpr std::size_t kInitPathsSteps = 3;
constexpr std::size_t kPrepareFilesSteps = 4;

StartSteps runSteps(std::span<const StartStep> steps, const StartContext& start)
{
    StartSteps done;
    for (const StartStep& step : steps)
        done.emplace_back(step.name, step.run(start));
    return done;
}

} // namespace

std::span<const StartStep> startStepTable()
{
    return kSteps;
}

StartSteps InitPaths(const StartContext& start)
{
    return runSteps(startStepTable().first(kInitPathsSteps), start);
}

StartSteps PrepareFiles(const StartContext& start)
{
    return runSteps(startStepTable().subspan(kInitPathsSteps, kPrepareFilesSteps), start);
}

bool applyTimerSetting(SettingsAccess& settings, QTimer& timer)
{
    const QString text = settings.read(kTimerSetting);
    const std::optional<qint32> interval = toInt32(leadingNumber(text));
    // The timer takes 0 to 65535 ms; anything else leaves its design interval.
    if (!interval || *interval < 0 || *interval > 65535)
        return false;
    timer.setInterval(*interval);
    return true;
}

bool applyLanguageSetting(SettingsAccess& settings)
{
    const QString text = settings.read(kLanguageSetting);
    const std::optional<qint16> language = toInt16(leadingNumber(text));
    if (!language)
        return false;
    Language = *language;
    return true;
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
