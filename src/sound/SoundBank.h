#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <utility>
#include <vector>

namespace ResWave {

struct WaveImage;

// A recording in the device's format: 44100 Hz, two channels, signed 16 bit.
using Pcm = std::shared_ptr<const std::vector<unsigned char>>;

// Every recording converted to the device's format once and kept for the run,
// so that a play only looks its sound up. Found by the image's bytes, not by a
// name, so the beat file is the beat resource. Safe from any thread.
class SoundBank {
  public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kFrameBytes = 4;

    SoundBank() = default;
    // Waits for the catalogue's conversion to stop; it stops between two sounds.
    ~SoundBank();
    SoundBank(const SoundBank&) = delete;
    SoundBank& operator=(const SoundBank&) = delete;

    // The converted sound, if it has been converted; cheap enough for a play call.
    Pcm find(std::span<const unsigned char> image) const;
    // The converted sound, converting it now if it is not kept yet; nullptr
    // when it cannot be converted. Takes milliseconds: never on the GUI thread.
    Pcm decode(std::span<const unsigned char> image);
    // Converts every recording of the catalogue on a thread of its own, once.
    void decodeCatalogue();

    // The conversion itself: every frame kept, none added but the resampler's.
    static Pcm convert(const WaveImage& wave);

  private:
    using Key = std::pair<std::size_t, std::size_t>; // size, hash
    static Key keyOf(std::span<const unsigned char> image);

    mutable std::mutex m_mutex;
    std::map<Key, Pcm> m_sounds;
    bool m_stop = false;
    std::thread m_worker;
};

} // namespace ResWave
