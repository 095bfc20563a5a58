#pragma once

#include "sound/SoundDevice.h"
#include "sound/SoundObserver.h"

#include <chrono>
#include <memory>

namespace ResWave {

// The desktop's sound server through libpulse's event-driven API, which
// PulseAudio and PipeWire's pulse layer both serve. libpulse's own thread
// runs the connection: a server that goes is a state change, and the output
// connects again by itself, never waiting on that thread. One sound plays at a
// time; a play returns at once, and its `done` is posted to the application's
// thread once the server says it has played the sound out. A sound that finds
// no server takes its recording's length all the same, so the game keeps its
// pace; a stalled server holds the sound it plays.
class PulseSoundOutput final : public SoundDevice {
  public:
    // What the server is asked for between a sound's write and its sink.
    static constexpr std::chrono::milliseconds kLatency{20};

    // `observer`, if any, must outlive the output.
    explicit PulseSoundOutput(SoundObserver* observer = nullptr,
                              std::chrono::microseconds latency = kLatency);
    // The `done` of a sound still playing is dropped, not run. Never waits on
    // the server.
    ~PulseSoundOutput() override;
    PulseSoundOutput(const PulseSoundOutput&) = delete;
    PulseSoundOutput& operator=(const PulseSoundOutput&) = delete;

    void playMemory(const QString& name, const QByteArray& image, int flags,
                    SoundDone done) override;
    void playFile(const QString& path, int flags) override;
    void prepare() override;

    // Opens the stream if it is not open and waits for that; false without a
    // server, or when the stream has not started within `limit`.
    bool deviceAvailable(std::chrono::milliseconds limit = std::chrono::seconds(3));

  private:
    struct Loop;
    void startDefault(SoundDone done);
    bool start(const QString& source, const QByteArray& image, SoundDone done);

    std::unique_ptr<Loop> m_loop;
};

} // namespace ResWave
