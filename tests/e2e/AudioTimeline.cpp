#include "AudioTimeline.h"

#include "sound/SoundNames.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// The format the program asks the device for; the disk driver takes it as is.
constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kFrameBytes = 4;
constexpr int kKeyBytes = 4096;
constexpr int kLoud = 300;

QByteArray toDeviceFormat(const QByteArray& image)
{
    const auto wave = ResWave::readWaveImage(
        {reinterpret_cast<const unsigned char*>(image.constData()), std::size_t(image.size())});
    if (!wave.playable())
        return {};
    SDL_AudioCVT cvt;
    const SDL_AudioFormat from = wave.format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    if (SDL_BuildAudioCVT(&cvt, from, Uint8(wave.format.channels), int(wave.format.sampleRate),
                          AUDIO_S16SYS, kChannels, kRate) < 0)
        return {};
    QByteArray pcm(qsizetype(wave.samples.size()) * std::max(1, cvt.len_mult), '\0');
    std::memcpy(pcm.data(), wave.samples.data(), wave.samples.size());
    qsizetype size = qsizetype(wave.samples.size());
    if (cvt.needed) {
        cvt.buf = reinterpret_cast<Uint8*>(pcm.data());
        cvt.len = int(wave.samples.size());
        if (SDL_ConvertAudio(&cvt) < 0)
            return {};
        size = cvt.len_cvt;
    }
    pcm.resize(size / kFrameBytes * kFrameBytes);
    return pcm;
}

qint64 firstLoudFrame(const QByteArray& pcm)
{
    const auto* samples = reinterpret_cast<const qint16*>(pcm.constData());
    const qint64 count = pcm.size() / 2;
    for (qint64 i = 0; i < count; ++i) {
        if (std::abs(int(samples[i])) > kLoud)
            return (i * 2) / kFrameBytes * kFrameBytes;
    }
    return -1;
}

} // namespace

double AudioTimeline::Heard::ms() const
{
    return double(offset) * 1000.0 / double(kRate * kFrameBytes);
}

QStringList AudioTimeline::allNames()
{
    QStringList names;
    for (const char* name : Sounds::allNames())
        names << QString::fromLatin1(name);
    return names;
}

AudioTimeline::AudioTimeline(QString file) : m_file(std::move(file))
{
    for (const QString& name : allNames()) {
        const auto image = Commands::loadResource(QStringLiteral("WAVE"), name);
        if (!image)
            continue;
        const QByteArray pcm = toDeviceFormat(*image);
        const qint64 start = firstLoudFrame(pcm);
        if (start < 0)
            continue;
        m_references.push_back({name, pcm.mid(start, kKeyBytes), start, pcm.size()});
    }
}

void AudioTimeline::poll()
{
    QFile f(m_file);
    if (!f.open(QIODevice::ReadOnly))
        return;
    // The device is closed while the program idles and re-opening it starts
    // the file afresh; what was read before stays in the stream.
    if (f.size() < m_fileRead)
        m_fileRead = 0;
    f.seek(m_fileRead);
    const QByteArray fresh = f.readAll();
    m_fileRead += fresh.size();
    m_stream += fresh;

    const qint64 from = std::max<qint64>(0, m_searched - kKeyBytes);
    QList<Heard> found;
    for (const Reference& ref : m_references) {
        qint64 at = m_stream.indexOf(ref.key, from);
        while (at >= 0) {
            const qint64 start = at - ref.keyOffset;
            // A sound that repeats itself (a buzz, a beat) holds its own
            // beginning again: a match inside a start already heard is no start.
            const auto inside = [&](const Heard& h) {
                return h.name == ref.name && start >= h.offset && start < h.offset + ref.length;
            };
            if (std::none_of(m_heard.begin(), m_heard.end(), inside) &&
                std::none_of(found.begin(), found.end(), inside))
                found.push_back({ref.name, start});
            at = m_stream.indexOf(ref.key, at + kFrameBytes);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Heard& a, const Heard& b) { return a.offset < b.offset; });
    m_heard += found;
    m_searched = m_stream.size();
}

QStringList AudioTimeline::names(qsizetype from) const
{
    QStringList out;
    for (qsizetype i = from; i < m_heard.size(); ++i)
        out << m_heard[i].name;
    return out;
}

std::optional<AudioTimeline::Heard> AudioTimeline::waitFor(const QStringList& names,
                                                           qsizetype after, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        poll();
        for (qsizetype i = after; i < m_heard.size(); ++i) {
            if (names.contains(m_heard[i].name))
                return m_heard[i];
        }
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(15);
    }
}

qint64 AudioTimeline::lengthOf(const QString& name) const
{
    for (const Reference& ref : m_references) {
        if (ref.name == name)
            return ref.length;
    }
    return 0;
}
