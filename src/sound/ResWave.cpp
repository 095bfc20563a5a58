#include "sound/ResWave.h"

#include "startup/PrivateFolder.h"
#include "startup/Resources.h"

#include <QCoreApplication>
#include <QResource>
#include <QTimer>
#include <algorithm>
#include <cstdint>

namespace ResWave {

void finishLater(SoundDone done)
{
    if (done)
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(done),
                                  Qt::QueuedConnection);
}

void finishAfter(SoundDone done, std::chrono::milliseconds wait)
{
    if (!done || !QCoreApplication::instance())
        return;
    const int ms = int(std::max<std::int64_t>(0, wait.count()));
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [done = std::move(done), ms] {
            QTimer::singleShot(ms, QCoreApplication::instance(), done);
        },
        Qt::QueuedConnection);
}

void PlayWaveResource(SoundOutput& output, const QString& name, SoundDone done, int flags)
{
    // An uncompressed recording is handed over where it lies in the program: a
    // copy of the longest ones would cost the GUI thread fresh pages on every
    // play. The output keeps nothing of it past the call.
    const QResource stored(QStringLiteral(":/WAVE/") + name);
    if (!name.isEmpty() && stored.isValid() &&
        stored.compressionAlgorithm() == QResource::NoCompression) {
        const QByteArray bytes = QByteArray::fromRawData(
            reinterpret_cast<const char*>(stored.data()), qsizetype(stored.size()));
        output.playMemory(name, bytes, flags | SND_MEMORY, std::move(done));
        return;
    }
    const auto bytes = Commands::loadResource(QStringLiteral("WAVE"), name);
    if (!bytes) {
        finishLater(std::move(done));
        return;
    }
    // A resource is always played from memory, whatever the caller passed.
    output.playMemory(name, *bytes, flags | SND_MEMORY, std::move(done));
}

void PlayWaveFile(SoundOutput& output, const QString& path)
{
    // The beat is about 20 kB. A pipe, a device, a link or a huge file in its
    // place would hang or bloat the game: it gets nothing to read, and plays
    // the default sound as any unplayable file does.
    constexpr qint64 kMaxFileBytes = 4 * 1024 * 1024;
    if (Commands::checkPlainFile(path, kMaxFileBytes) == Commands::PlainFile::Refused) {
        output.playMemory(path, QByteArray(), SND_ASYNC | SND_MEMORY, {});
        return;
    }
    output.playFile(path, SND_ASYNC);
}

} // namespace ResWave
