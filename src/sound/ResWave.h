#pragma once

#include "sound/SoundOutput.h"

#include <QString>
#include <chrono>

// The two sound players. One sound plays at a time: starting any sound stops
// the one that is playing. Neither blocks: the caller is told when a sound
// has ended.
namespace ResWave {

enum PlayFlags : int {
    SND_SYNC = 0x0000,
    SND_ASYNC = 0x0001,
    SND_NODEFAULT = 0x0002,
    SND_MEMORY = 0x0004,
};

// Plays the WAVE resource `name` on `output`; `done` runs once it has been
// heard to its end. An unknown name is silent, and `done` runs all the same.
void PlayWaveResource(SoundOutput& output, const QString& name, SoundDone done = {},
                      int flags = SND_NODEFAULT | SND_MEMORY);

// Starts the WAVE file at `path`; nobody waits for it. A file that is missing
// or cannot be played plays the default sound instead.
void PlayWaveFile(SoundOutput& output, const QString& path);

// Runs `done` from the event loop, as an output does for a sound it could not
// play.
void finishLater(SoundDone done);
// Runs `done` on the application's thread after `wait`, as an output does for
// a sound that found no device: unheard, but as long as if heard. Safe from any
// thread.
void finishAfter(SoundDone done, std::chrono::milliseconds wait);

} // namespace ResWave
