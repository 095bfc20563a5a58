#pragma once

#include "sound/NoOutputNotice.h"
#include "sound/SoundBank.h"
#include "sound/SoundDevice.h"
#include "sound/SoundObserver.h"

#include <SDL_audio.h>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace ResWave {

// The output through SDL, for the driver the player names in SDL_AUDIODRIVER:
// run by a thread of the output's own that opens the device when a sound
// wants it, opens it again after the device was lost, and closes it after a
// quiet spell. One sound plays at a time; every play returns at once and its
// `done` is posted to the application object's thread. A sound that finds no
// device takes its recording's length all the same.
class SdlSoundOutput final : public SoundDevice {
  public:
    // What every sound is converted to and the device is opened with.
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr int kFrameBytes = 4;
    // One device buffer: a press waits for at most one of these before its
    // sound is handed over, and the end of a sound is seen one buffer late.
    static constexpr int kDeviceFrames = 256;
    // SDL's disk driver sleeps whole milliseconds per buffer, so small buffers
    // make it run fast; the end-to-end test reads its file as a timeline.
    static constexpr int kDiskFrames = 512;

    // `observer`, if any, must outlive the output.
    explicit SdlSoundOutput(SoundObserver* observer = nullptr);
    // The `done` of a sound still playing is dropped, not run. Returns within
    // about a second even while an opening of the device hangs.
    ~SdlSoundOutput() override;
    SdlSoundOutput(const SdlSoundOutput&) = delete;
    SdlSoundOutput& operator=(const SdlSoundOutput&) = delete;

    void playMemory(const QString& name, const QByteArray& image, int flags,
                    SoundDone done) override;
    void playFile(const QString& path, int flags) override;

    // Opens SDL and the device, and converts the recordings, in the
    // background; returns at once.
    void prepare() override;
    // Opens the device if it is not open and waits for that; false without one,
    // or when the opening has not ended within `limit`.
    bool deviceAvailable(std::chrono::milliseconds limit = std::chrono::seconds(3));

  private:
    struct Sound;
    struct Event;
    struct Sync;
    struct Opening;

    bool start(const QString& source, std::span<const unsigned char> image, SoundDone done);
    void startDefault(const QString& source, SoundDone done);
    void run();
    void beginOpening();
    void takeOpening();
    bool finishOpening();
    static void open(Opening& opening);
    static bool startAudio();
    void closeDevice(bool quitSdl);
    void deliver(std::vector<Event>& events);
    void endCurrent(SoundEnd how, std::chrono::steady_clock::time_point at);
    void fill(Uint8* stream, int len);
    static void SDLCALL audioCallback(void* self, Uint8* stream, int len);
    static void post(SoundDone done);

    SoundObserver* const m_observer;
    SoundBank m_bank;
    NoOutputNotice m_notice;

    // Shared with an opening of the device, which may outlive the output.
    const std::shared_ptr<Sync> m_sync;
    // Guards what the callback and an opening share. The callback holds SDL's
    // device lock when it takes this one, so nothing may call SDL's device
    // functions while holding it.
    std::mutex& m_mutex;
    std::condition_variable& m_changed;
    std::unique_ptr<Sound> m_current;
    std::vector<Event> m_events;
    std::uint64_t m_callbacks = 0;
    std::uint64_t m_nextSerial = 1;
    std::chrono::steady_clock::time_point m_lastSound;
    bool m_openWanted = false;
    std::uint64_t m_openAttempts = 0;
    bool m_deviceOpen = false;
    bool m_quit = false;

    // The output thread's own; nobody else touches the device.
    bool m_sdlUp = false;
    bool m_noLibrary = false;
    bool m_restByClosing = true;
    int m_frames = kDeviceFrames;
    bool m_resting = false;
    SDL_AudioDeviceID m_device = 0;
    // The opening under way, if any; its results are guarded by m_mutex.
    std::shared_ptr<Opening> m_opening;
    std::uint64_t m_seenCallbacks = 0;
    std::chrono::steady_clock::time_point m_progressAt;
    std::chrono::steady_clock::time_point m_retryAt;
    bool m_retrying = false;

    std::thread m_thread;
};

} // namespace ResWave
