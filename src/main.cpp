#include "game/frmMain.h"
#include "sound/ResWave.h"
#include "startup/CommandLine.h"
#include "startup/DisplayCheck.h"
#include "startup/SingleInstance.h"
#include "startup/StartUp.h"
#include "startup/Translations.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    if (const auto status = Commands::answerCommandLine(argc, argv))
        return *status;
    Commands::chooseWindowPlatform();
    Commands::exitPlainlyWithoutDisplay();
    QApplication app(argc, argv);
    Commands::endDisplayWatch();
    Commands::loadTranslations(app);
    const Commands::StartReport started = Commands::Main(QCoreApplication::applicationFilePath());
    if (!started.onlyCopy)
        return 0;
    Commands::whenStartedAgain([toy = started.mainWindow] {
        toy->showNormal();
        toy->raise();
        toy->activateWindow();
    });
    // Once the toy is on screen, not before: start-up never waits for SDL.
    QTimer::singleShot(0, &ResWave::prepareDevice);
    return app.exec();
}
