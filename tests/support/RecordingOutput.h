#pragma once

#include "sound/ResWave.h"
#include "sound/SoundOutput.h"

#include <QStringList>
#include <functional>
#include <map>
#include <utility>
#include <vector>

// Stands in for the audio device: logs every name played (files as "file:" +
// path), tells from the event loop that the sound has ended, and can run an
// action while a chosen sound plays, before its end is told.
class RecordingOutput final : public ResWave::SoundOutput {
  public:
    QStringList played;
    // While set, sounds do not end until endHeld() says so.
    bool holdEnds = false;

    void endHeld()
    {
        for (auto& done : std::exchange(m_held, {}))
            ResWave::finishLater(std::move(done));
    }

    // Runs `action` inside the `occurrence`-th playing (1-based) of `name`.
    void whilePlaying(const QString& name, int occurrence, std::function<void()> action)
    {
        m_actions[{name, occurrence}] = std::move(action);
    }

    void playMemory(const QString& name, const QByteArray&, int, ResWave::SoundDone done) override
    {
        record(name);
        if (holdEnds)
            m_held.push_back(std::move(done));
        else
            ResWave::finishLater(std::move(done));
    }
    void playFile(const QString& path, int) override { record(QStringLiteral("file:") + path); }

  private:
    void record(const QString& entry)
    {
        played << entry;
        if (m_actions.empty())
            return; // counting the log grows with it; long games need no count
        const auto it = m_actions.find({entry, int(played.count(entry))});
        if (it != m_actions.end()) {
            auto action = std::move(it->second);
            m_actions.erase(it);
            action();
        }
    }

    std::map<std::pair<QString, int>, std::function<void()>> m_actions;
    std::vector<ResWave::SoundDone> m_held;
};
