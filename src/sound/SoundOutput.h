#pragma once

#include <QByteArray>
#include <QString>

// The seam between the players and the audio device: the program uses the
// SDL device, tests put a recording fake in its place.
namespace ResWave {

class SoundOutput {
  public:
    virtual ~SoundOutput() = default;
    // Plays a RIFF WAVE image held in memory; `name` is the resource name.
    virtual void playMemory(const QString& name, const QByteArray& image, int flags) = 0;
    // Plays the WAVE file at `path`.
    virtual void playFile(const QString& path, int flags) = 0;
};

// nullptr puts the real device back. The output is not owned.
void setSoundOutput(SoundOutput* output);
SoundOutput& soundOutput();

} // namespace ResWave
