#pragma once

#include "game/Rnd.h"

#include <functional>

namespace Commands {
class SettingsAccess;
}
namespace ResWave {
class SoundOutput;
}

// What the program is built from, made once by main(): the sound device, the
// settings file, the random draw and the end of the program. Tests build
// their own.
struct Services {
    ResWave::SoundOutput& sound;
    Commands::SettingsAccess& settings;
    Game::RandomSource random;
    // Ends the program at once: no further event runs and nothing more is saved.
    std::function<void()> endProgram;
};
