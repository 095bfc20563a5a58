#include "sound/SoundDevice.h"

#include "sound/PulseSoundOutput.h"
#include "sound/SdlSoundOutput.h"

#include <QtGlobal>

namespace ResWave {

std::unique_ptr<SoundDevice> makeSoundDevice()
{
    // A driver the player chose is used as it is: disk for the tests, dummy
    // for silence, ALSA straight to a card where no server runs.
    if (!qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        return std::make_unique<SdlSoundOutput>();
    return std::make_unique<PulseSoundOutput>();
}

} // namespace ResWave
