#pragma once

#include "sound/SoundOutput.h"

#include <SDL_audio.h>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace ResWave {

// What the device did with one sound, as the audio callback saw it. Tests and
// the bench read these; the game never does.
struct PlayRecord {
    using Clock = std::chrono::steady_clock;

    QString source;             // resource name or file path that was played
    std::size_t bytes = 0;      // the sound converted to the device's format
    std::size_t handedOver = 0; // bytes the callback gave the device
    bool heard = false;         // a callback came after the last sample
    bool cutOff = false;        // a newer sound replaced it
    Clock::time_point called;   // the play call started
    Clock::time_point firstSample;
    Clock::time_point ended; // `heard` became true
};

// The real output: SDL's audio subsystem, opened by `prepare` in the background
// or else by the first play, and then kept open, paused between sounds. One
// sound plays at a time; a synchronous play blocks the calling thread on a
// condition variable (no event loop) until the device has taken the sound's
// last buffer. Without a device every play is silent and returns at once.
class SdlSoundOutput final : public SoundOutput {
  public:
    SdlSoundOutput();
    ~SdlSoundOutput() override;
    SdlSoundOutput(const SdlSoundOutput&) = delete;
    SdlSoundOutput& operator=(const SdlSoundOutput&) = delete;

    void playMemory(const QString& name, const QByteArray& image, int flags,
                    SoundDone done) override;
    void playFile(const QString& path, int flags) override;

    // Starts opening SDL and the device on a thread of its own and returns at
    // once; a play that comes first waits for the opening to finish.
    void prepare();
    // Opens the device if that has not been tried yet; false without one.
    bool deviceAvailable();
    SDL_AudioSpec deviceSpec() const { return m_spec; }
    // The most recent plays, oldest first.
    std::vector<PlayRecord> recentPlays() const;
    // True while a sound is being handed to the device.
    bool playing() const;

  private:
    struct Current {
        std::shared_ptr<const std::vector<Uint8>> pcm;
        std::size_t pos = 0;
        std::uint64_t serial = 0;
    };
    enum class DeviceState { Closed, Paused, Running };

    bool play(const QString& source, std::span<const unsigned char> image, int flags);
    void playDefault(int flags);
    bool openDevice();
    void closeDevice();
    PlayRecord* recordFor(std::uint64_t serial);
    void fill(Uint8* stream, int len);
    void idleLoop();
    static void SDLCALL audioCallback(void* self, Uint8* stream, int len);

    // Lock order: m_deviceMutex, then SDL's device lock, then m_mutex. The
    // callback holds SDL's lock when it takes m_mutex, so nothing that holds
    // m_mutex may call into SDL's device functions.
    std::mutex m_deviceMutex;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;

    bool m_initTried = false;
    bool m_sdlUp = false;
    bool m_unavailable = false;
    SDL_AudioDeviceID m_device = 0;
    SDL_AudioSpec m_spec{};
    DeviceState m_state = DeviceState::Closed;
    bool m_quit = false;
    std::thread m_idleThread;
    std::once_flag m_prepared;
    std::thread m_opener;

    std::unique_ptr<Current> m_current;
    std::uint64_t m_nextSerial = 1;
    std::deque<std::pair<std::uint64_t, PlayRecord>> m_records;
};

} // namespace ResWave
