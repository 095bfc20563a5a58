#include "sound/SdlLibrary.h"

#include <dlfcn.h>

namespace ResWave {
namespace {

template <typename Function> bool resolve(void* handle, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(handle, name));
    return function != nullptr;
}

const SdlLibrary* load()
{
    // The library stays loaded for the rest of the run.
    void* handle = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    static SdlLibrary sdl;
    const bool complete = resolve(handle, "SDL_SetHint", sdl.SetHint) &&
                          resolve(handle, "SDL_InitSubSystem", sdl.InitSubSystem) &&
                          resolve(handle, "SDL_QuitSubSystem", sdl.QuitSubSystem) &&
                          resolve(handle, "SDL_LogSetOutputFunction", sdl.LogSetOutputFunction) &&
                          resolve(handle, "SDL_OpenAudioDevice", sdl.OpenAudioDevice) &&
                          resolve(handle, "SDL_CloseAudioDevice", sdl.CloseAudioDevice) &&
                          resolve(handle, "SDL_PauseAudioDevice", sdl.PauseAudioDevice) &&
                          resolve(handle, "SDL_LockAudioDevice", sdl.LockAudioDevice) &&
                          resolve(handle, "SDL_UnlockAudioDevice", sdl.UnlockAudioDevice) &&
                          resolve(handle, "SDL_BuildAudioCVT", sdl.BuildAudioCVT) &&
                          resolve(handle, "SDL_ConvertAudio", sdl.ConvertAudio) &&
                          resolve(handle, "SDL_GetAudioDeviceStatus", sdl.GetAudioDeviceStatus) &&
                          resolve(handle, "SDL_GetCurrentAudioDriver", sdl.GetCurrentAudioDriver);
    return complete ? &sdl : nullptr;
}

} // namespace

const SdlLibrary* sdlLibrary()
{
    static const SdlLibrary* const sdl = load();
    return sdl;
}

} // namespace ResWave
