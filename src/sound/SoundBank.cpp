#include "sound/SoundBank.h"

#include "sound/SdlLibrary.h"
#include "sound/SoundNames.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <algorithm>
#include <cstring>

namespace ResWave {

SoundBank::~SoundBank()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    if (m_worker.joinable())
        m_worker.join();
}

SoundBank::Key SoundBank::keyOf(std::span<const unsigned char> image)
{
    const QByteArrayView bytes(image.data(), qsizetype(image.size()));
    return {image.size(), std::size_t(qHash(bytes))};
}

Pcm SoundBank::find(std::span<const unsigned char> image) const
{
    const Key key = keyOf(image);
    std::lock_guard lock(m_mutex);
    const auto found = m_sounds.find(key);
    return found == m_sounds.end() ? nullptr : found->second;
}

Pcm SoundBank::decode(std::span<const unsigned char> image)
{
    const Key key = keyOf(image);
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_sounds.find(key);
        if (found != m_sounds.end())
            return found->second;
    }
    Pcm pcm = convert(readWaveImage(image));
    if (!pcm)
        return nullptr;
    std::lock_guard lock(m_mutex);
    return m_sounds.emplace(key, pcm).first->second;
}

void SoundBank::decodeCatalogue()
{
    std::lock_guard lock(m_mutex);
    if (m_worker.joinable())
        return;
    m_worker = std::thread([this] {
        auto names = Sounds::allNames();
        for (const char* name : names) {
            {
                std::lock_guard stopLock(m_mutex);
                if (m_stop)
                    return;
            }
            if (const auto bytes =
                    Commands::loadResource(QStringLiteral("WAVE"), QString::fromLatin1(name)))
                decode({reinterpret_cast<const unsigned char*>(bytes->constData()),
                        std::size_t(bytes->size())});
        }
        // The sound played in place of a file that cannot be played.
        if (const auto ding =
                Commands::loadResource(QStringLiteral("SYSTEM"), QStringLiteral("ding.wav")))
            decode({reinterpret_cast<const unsigned char*>(ding->constData()),
                    std::size_t(ding->size())});
    });
}

Pcm SoundBank::convert(const WaveImage& wave)
{
    const SdlLibrary* sdl = sdlLibrary();
    if (!wave.playable() || !sdl)
        return nullptr;
    const SDL_AudioFormat from = wave.format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    SDL_AudioCVT cvt;
    if (sdl->BuildAudioCVT(&cvt, from, Uint8(wave.format.channels), int(wave.format.sampleRate),
                           AUDIO_S16LSB, kChannels, kRate) < 0)
        return nullptr;
    // Whole-buffer conversion keeps every frame of the sound; a stream
    // resampler would hold back the last few hundred.
    auto pcm = std::make_shared<std::vector<unsigned char>>(wave.samples.size() *
                                                            std::size_t(std::max(1, cvt.len_mult)));
    std::memcpy(pcm->data(), wave.samples.data(), wave.samples.size());
    std::size_t size = wave.samples.size();
    if (cvt.needed) {
        cvt.buf = pcm->data();
        cvt.len = int(wave.samples.size());
        if (sdl->ConvertAudio(&cvt) < 0)
            return nullptr;
        size = std::size_t(cvt.len_cvt);
    }
    pcm->resize(size / kFrameBytes * kFrameBytes);
    if (pcm->empty())
        return nullptr;
    pcm->shrink_to_fit();
    return pcm;
}

} // namespace ResWave
