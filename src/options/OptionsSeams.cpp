#include "options/OptionsSeams.h"

#include "startup/StartUp.h"

namespace Options {
namespace {
std::function<void()> g_programEnd;
} // namespace

void setProgramEnd(std::function<void()> end)
{
    g_programEnd = std::move(end);
}

void endProgram()
{
    if (g_programEnd)
        g_programEnd();
    else
        Commands::endProgram();
}

} // namespace Options
