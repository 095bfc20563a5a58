#include "app/Program.h"
#include "sound/SdlSoundOutput.h"
#include "startup/DisplayCheck.h"
#include "startup/Settings.h"
#include "startup/StartUp.h"

#include <QApplication>
#include <QTimer>

// The program is built here, once: the sound device, the settings file, the
// game with its windows, and the end of the program.
int main(int argc, char* argv[])
{
    Commands::chooseWindowPlatform();
    Commands::exitPlainlyWithoutDisplay();
    QApplication app(argc, argv);
    Commands::endDisplayWatch();

    ResWave::SdlSoundOutput sound;
    Commands::SettingsFile settings;
    Program program({sound, settings, Game::clockSeededDraw, [] { Commands::endProgram(); }});
    if (!program.Main(QCoreApplication::applicationFilePath()).onlyCopy)
        return 0;
    // Once the toy is on screen, not before: start-up never waits for SDL.
    QTimer::singleShot(0, &app, [&sound] { sound.prepare(); });
    return app.exec();
}
