#include "sound/ResWave.h"
#include "startup/DisplayCheck.h"
#include "startup/StartUp.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    Commands::chooseWindowPlatform();
    if (!Commands::canOpenDisplay()) {
        std::fputs("vuruz: no display could be opened (is DISPLAY set?)\n", stderr);
        return 1;
    }
    QApplication app(argc, argv);
    if (!Commands::Main(QCoreApplication::applicationFilePath()).onlyCopy)
        return 0;
    // Once the toy is on screen, not before: start-up never waits for SDL.
    QTimer::singleShot(0, &ResWave::prepareDevice);
    return app.exec();
}
