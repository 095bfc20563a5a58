#include "sound/ResWave.h"
#include "startup/AppIdentity.h"
#include "startup/DisplayCheck.h"
#include "startup/StartUp.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    Commands::chooseWindowPlatform();
    Commands::exitPlainlyWithoutDisplay();
    QApplication app(argc, argv);
    Commands::endDisplayWatch();
    Commands::setAppIdentity();
    if (!Commands::Main(QCoreApplication::applicationFilePath()).onlyCopy)
        return 0;
    // Once the toy is on screen, not before: start-up never waits for SDL.
    QTimer::singleShot(0, &ResWave::prepareDevice);
    return app.exec();
}
