// Claims the game's single-instance lock like the program does, says so on its
// output, and keeps it until its input is closed. Exit status 3: another copy
// holds the lock. With "end", the first input line ends it as the quit command
// does.
#include "startup/SingleInstance.h"
#include "startup/StartUp.h"

#include <QCoreApplication>
#include <cstdio>
#include <string_view>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (!Commands::claimSingleInstance())
        return 3;
    std::puts("claimed");
    std::fflush(stdout);
    const bool endOnInput = argc > 1 && std::string_view(argv[1]) == "end";
    char buffer[64];
    while (::read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
        if (endOnInput) {
            Commands::endProgram();
        }
    }
    Commands::releaseSingleInstance();
    std::puts("released");
    return 0;
}
