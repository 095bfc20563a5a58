#pragma once

#include "sound/SoundOutput.h"

#include <QCoreApplication>
#include <QStringList>
#include <functional>
#include <map>
#include <utility>

// Stands in for the audio device: returns at once, logs every name played
// (files as "file:" + path), can run an action while a chosen sound plays, and
// posts each sound's `done` as the real output does when a sound has ended.
class RecordingOutput final : public ResWave::SoundOutput {
  public:
    QStringList played;

    // Runs `action` inside the `occurrence`-th playing (1-based) of `name`.
    void whilePlaying(const QString& name, int occurrence, std::function<void()> action)
    {
        m_actions[{name, occurrence}] = std::move(action);
    }

    void playMemory(const QString& name, const QByteArray&, int, ResWave::SoundDone done) override
    {
        record(name);
        if (done)
            QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(done),
                                      Qt::QueuedConnection);
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
};
