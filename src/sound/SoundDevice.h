#pragma once

#include "sound/SoundOutput.h"

#include <memory>

namespace ResWave {

// The program's own output: a SoundOutput that can get its device ready
// before the first sound.
class SoundDevice : public SoundOutput {
  public:
    // Connects and converts the recordings in the background; returns at once.
    virtual void prepare() = 0;
};

// The desktop's sound server (PulseAudio, or PipeWire through its PulseAudio
// layer), or SDL with the driver the player named in SDL_AUDIODRIVER.
std::unique_ptr<SoundDevice> makeSoundDevice();

} // namespace ResWave
