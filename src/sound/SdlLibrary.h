#pragma once

#include <SDL.h>

// The few SDL audio functions the game uses, from the SDL library loaded once
// the toy stands on the desktop rather than when the program starts: SDL and
// the sound libraries it pulls in take several milliseconds to load.
namespace ResWave {

struct SdlLibrary {
    decltype(&::SDL_SetHint) SetHint = nullptr;
    decltype(&::SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&::SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&::SDL_LogSetOutputFunction) LogSetOutputFunction = nullptr;
    decltype(&::SDL_OpenAudioDevice) OpenAudioDevice = nullptr;
    decltype(&::SDL_CloseAudioDevice) CloseAudioDevice = nullptr;
    decltype(&::SDL_PauseAudioDevice) PauseAudioDevice = nullptr;
    decltype(&::SDL_LockAudioDevice) LockAudioDevice = nullptr;
    decltype(&::SDL_UnlockAudioDevice) UnlockAudioDevice = nullptr;
    decltype(&::SDL_BuildAudioCVT) BuildAudioCVT = nullptr;
    decltype(&::SDL_ConvertAudio) ConvertAudio = nullptr;
    decltype(&::SDL_GetAudioDeviceStatus) GetAudioDeviceStatus = nullptr;
    decltype(&::SDL_GetCurrentAudioDriver) GetCurrentAudioDriver = nullptr;
};

// Loads the library once; nullptr when it or one of its functions is missing,
// which the game treats like a machine without a sound device.
const SdlLibrary* sdlLibrary();

} // namespace ResWave
