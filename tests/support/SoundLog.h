#pragma once

#include "sound/SoundObserver.h"

#include <QString>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <vector>

// Watches the real output through its observer seam: what it started, when
// the device got each sound's first buffer, and how each sound ended.
class SoundLog final : public ResWave::SoundObserver {
  public:
    struct Play {
        std::uint64_t id = 0;
        QString source;
        std::size_t bytes = 0;
        std::size_t handedOver = 0;
        Clock::time_point called, firstSample, ended;
        bool started = false; // the device took its first buffer
        std::optional<ResWave::SoundEnd> how;
    };

    void started(std::uint64_t sound, const QString& source, std::size_t bytes,
                 Clock::time_point at) override
    {
        std::lock_guard lock(m_mutex);
        Play play;
        play.id = sound;
        play.source = source;
        play.bytes = bytes;
        play.called = at;
        m_plays.push_back(play);
        m_changed.notify_all();
    }
    void firstSample(std::uint64_t sound, Clock::time_point at) override
    {
        std::lock_guard lock(m_mutex);
        if (Play* play = find(sound)) {
            play->firstSample = at;
            play->started = true;
        }
        m_changed.notify_all();
    }
    void ended(std::uint64_t sound, ResWave::SoundEnd how, std::size_t handedOver,
               Clock::time_point at) override
    {
        std::lock_guard lock(m_mutex);
        if (Play* play = find(sound)) {
            play->how = how;
            play->handedOver = handedOver;
            play->ended = at;
        }
        m_changed.notify_all();
    }
    void deviceChanged(bool open, Clock::time_point) override
    {
        std::lock_guard lock(m_mutex);
        m_deviceOpen = open;
        open ? ++m_openings : ++m_closings;
        m_changed.notify_all();
    }

    std::vector<Play> plays() const
    {
        std::lock_guard lock(m_mutex);
        return m_plays;
    }
    Play last() const
    {
        std::lock_guard lock(m_mutex);
        return m_plays.empty() ? Play{} : m_plays.back();
    }
    bool deviceOpen() const
    {
        std::lock_guard lock(m_mutex);
        return m_deviceOpen;
    }
    int openings() const
    {
        std::lock_guard lock(m_mutex);
        return m_openings;
    }
    int closings() const
    {
        std::lock_guard lock(m_mutex);
        return m_closings;
    }
    // Waits until every sound started has ended; the limit only keeps a broken
    // build from hanging.
    bool waitUntilQuiet(std::chrono::milliseconds limit = std::chrono::seconds(10)) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] {
            for (const Play& play : m_plays) {
                if (!play.how)
                    return false;
            }
            return true;
        });
    }
    // Waits until the device is open (or closed), with the same kind of limit.
    bool waitForDevice(bool open, std::chrono::milliseconds limit = std::chrono::seconds(10)) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_deviceOpen == open; });
    }
    // Waits for `condition` on the log, with the same kind of limit.
    template <typename Condition>
    bool waitFor(Condition condition,
                 std::chrono::milliseconds limit = std::chrono::seconds(10)) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return condition(m_plays); });
    }

  private:
    Play* find(std::uint64_t sound)
    {
        for (Play& play : m_plays) {
            if (play.id == sound)
                return &play;
        }
        return nullptr;
    }

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<Play> m_plays;
    bool m_deviceOpen = false;
    int m_openings = 0;
    int m_closings = 0;
};
