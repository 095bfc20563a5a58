#include "sound/ResWave.h"
#include "startup/StartUp.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[])
{
    Commands::ChooseWindowPlatform();
    QApplication app(argc, argv);
    if (!Commands::Main())
        return 0;
    // Once the toy is on screen, not before: start-up never waits for SDL.
    QTimer::singleShot(0, &ResWave::prepareDevice);
    return app.exec();
}
