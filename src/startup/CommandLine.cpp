#include "startup/CommandLine.h"

#include "startup/Globals.h"

#include <cstdio>
#include <string_view>

namespace Commands {

namespace {

constexpr std::string_view kHelp =
    "Usage: vuruz\n"
    "A reaction game with a talking toy: the toy stands on the desktop, calls out\n"
    "one of five actions, and you press the matching part of it before the answer\n"
    "time runs out. It is played with the mouse and the keyboard; the options\n"
    "dialog (spin wheel, Escape or the right mouse button) sets the language and\n"
    "the answer time and ends the game (\"Programm beenden\").\n"
    "\n"
    "  -h, --help     show this text and end\n"
    "      --version  show the version and end\n"
    "\n"
    "Other arguments are not read; Qt's own (such as -display) are Qt's.\n"
    "See vuruz(6).\n";

bool write(std::string_view text)
{
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
           std::fflush(stdout) == 0;
}

} // namespace

std::optional<int> answerCommandLine(int argc, const char* const argv[])
{
    for (int i = 1; i < argc && argv[i]; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h")
            return write(kHelp) ? 0 : 1;
        if (arg == "--version") {
            const std::string version = "vuruz " + std::string(VURUZ_VERSION) + '\n' +
                                        kProductTitle.toStdString() +
                                        "\nLicence GPL-3.0-or-later: the game and every changed "
                                        "copy of it stay free.\n";
            return write(version) ? 0 : 1;
        }
    }
    return std::nullopt;
}

} // namespace Commands
