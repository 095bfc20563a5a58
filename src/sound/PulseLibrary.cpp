#include "sound/PulseLibrary.h"

#include <dlfcn.h>

namespace ResWave {
namespace {

const PulseLibrary* load()
{
    // The library stays loaded for the rest of the run.
    void* handle = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    static PulseLibrary pulse;
    bool complete = true;
#define VURUZ_PULSE_RESOLVE(name)                                                                  \
    pulse.name = reinterpret_cast<decltype(pulse.name)>(dlsym(handle, #name));                     \
    complete = complete && pulse.name;
    VURUZ_PULSE_FUNCTIONS(VURUZ_PULSE_RESOLVE)
#undef VURUZ_PULSE_RESOLVE
    return complete ? &pulse : nullptr;
}

} // namespace

const PulseLibrary* pulseLibrary()
{
    static const PulseLibrary* const pulse = load();
    return pulse;
}

} // namespace ResWave
