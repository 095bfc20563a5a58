#include "app/Program.h"
#include "game/frmMain.h"
#include "sound/SoundDevice.h"
#include "startup/AppIdentity.h"
#include "startup/CommandLine.h"
#include "startup/DisplayCheck.h"
#include "startup/Settings.h"
#include "startup/SingleInstance.h"
#include "startup/StartUp.h"
#include "startup/Translations.h"
#include "startup/WindowHelpers.h"

#include <QApplication>
#include <QTimer>

// The program is built here, once: the sound device, the settings file, the
// game with its windows, and the end of the program.
int main(int argc, char* argv[])
{
    if (const auto status = Commands::answerCommandLine(argc, argv))
        return *status;
    Commands::chooseWindowPlatform();
    Commands::exitPlainlyWithoutDisplay();
    QApplication app(argc, argv);
    Commands::endDisplayWatch();
    Commands::setAppIdentity();
    Commands::loadTranslations(app);

    const auto sound = ResWave::makeSoundDevice();
    Commands::SettingsFile settings;
    Program program({*sound, settings, Game::clockSeededDraw, [] { Commands::endProgram(); }});
    const StartReport started = program.Main(QCoreApplication::applicationFilePath());
    if (!started.onlyCopy)
        return 0;
    Commands::whenStartedAgain([toy = started.mainWindow] { Commands::bringToPlayer(*toy); });
    // Once the toy is on screen, not before: start-up never waits for SDL.
    QTimer::singleShot(0, &app, [&sound] { sound->prepare(); });
    return app.exec();
}
