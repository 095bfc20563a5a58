#pragma once

#include <QString>

// The two sound players. One sound plays at a time: starting any sound stops
// the one that is playing.
namespace ResWave {

enum PlayFlags : int {
    SND_SYNC = 0x0000,
    SND_ASYNC = 0x0001,
    SND_NODEFAULT = 0x0002,
    SND_MEMORY = 0x0004,
};

class SoundOutput;

// Temporary, until the program hands its output over itself: the output the
// players use; nullptr puts the real device back. The output is not owned.
void setSoundOutput(SoundOutput* output);
SoundOutput& soundOutput();

// Plays the WAVE resource `name`; with the default flags it returns when the
// sound has been heard to its end. An unknown name returns at once, silently.
void PlayWaveResource(const QString& name, int flags = SND_NODEFAULT | SND_MEMORY);
// The same on a given output rather than the program's device.
void PlayWaveResource(SoundOutput& output, const QString& name,
                      int flags = SND_NODEFAULT | SND_MEMORY);

// Opens the sound device in the background, so that the first sound does not
// wait for it; returns at once.
void prepareDevice();

// Starts the WAVE file at `path` and returns at once. A file that is missing or
// cannot be played plays the default sound instead.
void PlayWaveFile(const QString& path);
void PlayWaveFile(SoundOutput& output, const QString& path);

} // namespace ResWave
