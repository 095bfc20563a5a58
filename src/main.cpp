#include "startup/StartUp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    Commands::ChooseWindowPlatform();
    QApplication app(argc, argv);
    if (!Commands::Main())
        return 0;
    return app.exec();
}
