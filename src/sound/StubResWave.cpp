// Placeholder bodies until the sound subsystem lands.
#include "sound/ResWave.h"
#include "sound/SoundOutput.h"
#include "startup/Resources.h"

namespace ResWave {
namespace {
class SilentOutput final : public SoundOutput {
public:
    void playMemory(const QString&, const QByteArray&, int) override {}
    void playFile(const QString&, int) override {}
};
SoundOutput* g_output = nullptr;
}  // namespace

void setSoundOutput(SoundOutput* output) { g_output = output; }
SoundOutput& soundOutput()
{
    static SilentOutput silent;
    return g_output ? *g_output : silent;
}
void PlayWaveResource(const QString& name, int flags)
{
    const auto bytes = Commands::LoadResource(QStringLiteral("WAVE"), name);
    if (!bytes)
        return;
    soundOutput().playMemory(name, *bytes, flags | SND_MEMORY);
}
void PlayWaveFile(const QString& path) { soundOutput().playFile(path, SND_ASYNC); }
}  // namespace ResWave
