#include "sound/ResWave.h"

#include "sound/SdlSoundOutput.h"
#include "sound/SoundOutput.h"
#include "startup/Resources.h"

namespace ResWave {
namespace {
SoundOutput* g_output = nullptr;

SdlSoundOutput& device()
{
    static SdlSoundOutput device;
    return device;
}

} // namespace

void setSoundOutput(SoundOutput* output)
{
    g_output = output;
}

SoundOutput& soundOutput()
{
    if (g_output)
        return *g_output;
    return device();
}

void prepareDevice()
{
    if (!g_output)
        device().prepare();
}

void PlayWaveResource(const QString& name, int flags)
{
    PlayWaveResource(soundOutput(), name, flags);
}

void PlayWaveResource(SoundOutput& output, const QString& name, int flags)
{
    const auto bytes = Commands::LoadResource(QStringLiteral("WAVE"), name);
    if (!bytes)
        return;
    // A resource is always played from memory, whatever the caller passed.
    output.playMemory(name, *bytes, flags | SND_MEMORY);
}

void PlayWaveFile(const QString& path)
{
    PlayWaveFile(soundOutput(), path);
}

void PlayWaveFile(SoundOutput& output, const QString& path)
{
    output.playFile(path, SND_ASYNC);
}

} // namespace ResWave
