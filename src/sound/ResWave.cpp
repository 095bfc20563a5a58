#include "sound/ResWave.h"

#include "sound/SdlSoundOutput.h"
#include "sound/SoundOutput.h"
#include "startup/PrivateFolder.h"
#include "startup/Resources.h"

#include <QCoreApplication>
#include <QEvent>
#include <memory>
#include <thread>

namespace ResWave {
namespace {
SoundOutput* g_output = nullptr;

SdlSoundOutput& device()
{
    static SdlSoundOutput device;
    return device;
}

// Temporary, until the game waits for the output's `done` itself: a
// synchronous play waits here for its sound's end. Only the output's posted
// calls to the application object are run meanwhile, so no window event
// runs while a sound plays, as before.
void waitFor(const std::shared_ptr<bool>& ended)
{
    while (!*ended) {
        QCoreApplication::sendPostedEvents(QCoreApplication::instance(), QEvent::MetaCall);
        if (!*ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
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
    const auto bytes = Commands::loadResource(QStringLiteral("WAVE"), name);
    if (!bytes)
        return;
    // A resource is always played from memory, whatever the caller passed.
    if ((flags & SND_ASYNC) || !QCoreApplication::instance()) {
        output.playMemory(name, *bytes, flags | SND_MEMORY, {});
        return;
    }
    auto ended = std::make_shared<bool>(false);
    output.playMemory(name, *bytes, flags | SND_MEMORY, [ended] { *ended = true; });
    waitFor(ended);
}

void PlayWaveFile(const QString& path)
{
    PlayWaveFile(soundOutput(), path);
}

void PlayWaveFile(SoundOutput& output, const QString& path)
{
    // The beat is about 20 kB. A pipe, a device, a link or a huge file in its
    // place would hang or bloat the game: it gets nothing to read, and plays
    // the default sound as any unplayable file does.
    constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
    if (Commands::checkPlainFile(path, kMaxFileBytes) == Commands::PlainFile::Refused) {
        output.playMemory(path, QByteArray(), SND_ASYNC | SND_MEMORY, {});
        return;
    }
    output.playFile(path, SND_ASYNC);
}

} // namespace ResWave
