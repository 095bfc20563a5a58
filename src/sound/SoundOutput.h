#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace ResWave {

// Runs once a sound has ended: heard to its last sample, cut off by a newer
// sound, unplayable, or lost with its device. Always on the thread of the
// application object, never from inside the play call.
using SoundDone = std::function<void()>;

// The seam between the players and the audio device: the program uses the
// SDL device, tests put a recording fake in its place.
class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Starts a RIFF WAVE image held in memory and returns at once; `name` is
    // the resource name. Starting any sound stops the one that plays.
    virtual void playMemory(const QString& name, const QByteArray& image, int flags,
                            SoundDone done) = 0;
    // Starts the WAVE file at `path` and returns at once.
    virtual void playFile(const QString& path, int flags) = 0;
};

} // namespace ResWave
