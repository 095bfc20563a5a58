#pragma once

#include <QString>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace ResWave {

// How a sound left the device.
enum class SoundEnd {
    Heard,    // the device asked for more after its last sample
    CutOff,   // a newer sound took its place
    NoDevice, // no device could be opened for it
    Lost,     // the device or its sound server went away while it played
    Stalled,  // the device stopped asking for samples for longer than the sound
};

// Told what the real output does with each sound, for the tests and benches
// that watch it. Called on the output's own threads but never under the audio
// callback's locks, so an observer may take its own.
class SoundObserver {
  public:
    using Clock = std::chrono::steady_clock;
    virtual ~SoundObserver() = default;
    // `bytes` is the sound converted to the device's format.
    virtual void started(std::uint64_t sound, const QString& source, std::size_t bytes,
                         Clock::time_point at) = 0;
    // The callback handed the device the sound's first buffer.
    virtual void firstSample(std::uint64_t sound, Clock::time_point at) = 0;
    // `handedOver` bytes of the sound had gone to the device by then.
    virtual void ended(std::uint64_t sound, SoundEnd how, std::size_t handedOver,
                       Clock::time_point at) = 0;
    // The device was opened (true) or closed, lost or not to be had (false).
    virtual void deviceChanged(bool open, Clock::time_point at) = 0;
};

} // namespace ResWave
