#include "sound/SdlSoundOutput.h"

#include "sound/ResWave.h"
#include "sound/SdlLibrary.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"

#include <QFile>
#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <dlfcn.h>

namespace ResWave {
namespace {

using Clock = PlayRecord::Clock;

// Small enough that a synchronous play returns within a few milliseconds of
// the sound's end: the end is seen one device buffer after the last sample.
constexpr Uint16 kDeviceFrames = 512;
constexpr std::size_t kRecordsKept = 16;
// Within a game sounds follow each other closer than this (the longest answer
// time is 3 s), so the device keeps running through a game and rests only
// between games; while it runs, what it writes keeps pace with the clock.
constexpr auto kRestAfterQuiet = std::chrono::seconds(4);
// A device that stops asking for samples must not hang the game for good.
constexpr auto kStallGrace = std::chrono::seconds(1);

void quietSdlLog(void*, int, SDL_LogPriority, const char*) {}
void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// The game shows no messages and keeps no log. SDL logs through its own
// function; ALSA prints its configuration errors on machines without a card.
// SDL loads the same libasound later, so a silent handler set here holds.
void silenceAudioBackends()
{
    sdlLibrary()->LogSetOutputFunction(&quietSdlLog, nullptr);
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetErrorHandler = int (*)(ErrorHandler);
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL)) {
        // The library stays loaded: the handler must outlive every SDL use.
        if (auto set = reinterpret_cast<SetErrorHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
            set(&quietAlsa);
    }
}

std::shared_ptr<const std::vector<Uint8>> convert(const WaveImage& wave, const SDL_AudioSpec& to)
{
    const SDL_AudioFormat from = wave.format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    SDL_AudioCVT cvt;
    if (sdlLibrary()->BuildAudioCVT(&cvt, from, Uint8(wave.format.channels),
                                    int(wave.format.sampleRate), to.format, to.channels,
                                    to.freq) < 0)
        return nullptr;
    // Whole-buffer conversion keeps every frame of the sound; a stream
    // resampler would hold back the last few hundred.
    auto pcm = std::make_shared<std::vector<Uint8>>(wave.samples.size() *
                                                    std::size_t(std::max(1, cvt.len_mult)));
    std::memcpy(pcm->data(), wave.samples.data(), wave.samples.size());
    std::size_t size = wave.samples.size();
    if (cvt.needed) {
        cvt.buf = pcm->data();
        cvt.len = int(wave.samples.size());
        if (sdlLibrary()->ConvertAudio(&cvt) < 0)
            return nullptr;
        size = std::size_t(cvt.len_cvt);
    }
    const std::size_t frameBytes = std::size_t(to.channels) * SDL_AUDIO_BITSIZE(to.format) / 8;
    pcm->resize(size / frameBytes * frameBytes);
    return pcm;
}

std::span<const unsigned char> asBytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())};
}

} // namespace

SdlSoundOutput::SdlSoundOutput() = default;

SdlSoundOutput::~SdlSoundOutput()
{
    // The opener may still be starting the idle thread.
    if (m_opener.joinable())
        m_opener.join();
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_idleThread.joinable())
        m_idleThread.join();
    std::lock_guard device(m_deviceMutex);
    closeDevice();
    if (m_sdlUp)
        sdlLibrary()->QuitSubSystem(SDL_INIT_AUDIO);
}

void SdlSoundOutput::playMemory(const QString& name, const QByteArray& image, int flags,
                                SoundDone done)
{
    if (!play(name, asBytes(image), flags) && !(flags & SND_NODEFAULT))
        playDefault(flags);
    finishLater(std::move(done));
}

void SdlSoundOutput::playFile(const QString& path, int flags)
{
    QByteArray bytes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!play(path, asBytes(bytes), flags) && !(flags & SND_NODEFAULT))
        playDefault(flags);
}

void SdlSoundOutput::playDefault(int flags)
{
    if (const auto ding =
            Commands::loadResource(QStringLiteral("SYSTEM"), QStringLiteral("ding.wav")))
        play(QStringLiteral(":/SYSTEM/ding.wav"), asBytes(*ding), flags);
}

void SdlSoundOutput::prepare()
{
    std::call_once(m_prepared, [this] {
        m_opener = std::thread([this] {
            std::lock_guard device(m_deviceMutex);
            openDevice();
        });
    });
}

bool SdlSoundOutput::deviceAvailable()
{
    std::lock_guard device(m_deviceMutex);
    return openDevice();
}

std::vector<PlayRecord> SdlSoundOutput::recentPlays() const
{
    std::lock_guard lock(m_mutex);
    std::vector<PlayRecord> plays;
    for (const auto& [serial, record] : m_records)
        plays.push_back(record);
    return plays;
}

bool SdlSoundOutput::playing() const
{
    std::lock_guard lock(m_mutex);
    return m_current != nullptr;
}

// False when the image cannot be played; a missing device is silence, not failure.
bool SdlSoundOutput::play(const QString& source, std::span<const unsigned char> image, int flags)
{
    const WaveImage wave = readWaveImage(image);
    if (!wave.playable())
        return false;
    const auto called = Clock::now();

    std::unique_lock device(m_deviceMutex);
    if (!openDevice())
        return true;
    // The converted copy belongs to the output, so an asynchronous sound from
    // memory outlives the caller's buffer.
    const auto pcm = convert(wave, m_spec);
    if (!pcm || pcm->empty())
        return true;
    std::uint64_t serial = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_current) {
            if (PlayRecord* previous = recordFor(m_current->serial))
                previous->cutOff = true;
        }
        serial = m_nextSerial++;
        m_current = std::make_unique<Current>(Current{pcm, 0, serial});
        PlayRecord record;
        record.source = source;
        record.bytes = pcm->size();
        record.called = called;
        m_records.emplace_back(serial, record);
        while (m_records.size() > kRecordsKept)
            m_records.pop_front();
        m_state = DeviceState::Running;
    }
    // Wakes the idle thread, which lets go of the device's lock; until then
    // the unpause below waits for it.
    m_changed.notify_all();
    sdlLibrary()->PauseAudioDevice(m_device, 0);
    device.unlock();

    if (flags & SND_ASYNC)
        return true;
    const std::size_t bytesPerSecond =
        std::size_t(m_spec.freq) * m_spec.channels * SDL_AUDIO_BITSIZE(m_spec.format) / 8;
    const auto deadline =
        called + std::chrono::milliseconds(pcm->size() * 1000 / bytesPerSecond) + kStallGrace;
    std::unique_lock lock(m_mutex);
    const bool ended = m_changed.wait_until(
        lock, deadline, [&] { return !m_current || m_current->serial != serial; });
    if (!ended) {
        m_current.reset();
        m_changed.notify_all();
    }
    return true;
}

// Called with m_deviceMutex held.
bool SdlSoundOutput::openDevice()
{
    if (m_device)
        return true;
    if (m_unavailable)
        return false;
    if (!m_sdlUp) {
        if (!sdlLibrary()) {
            m_unavailable = true;
            return false;
        }
        silenceAudioBackends();
        // SDL's own SIGINT/SIGTERM handlers would keep Ctrl-C and kill from ending the game.
        sdlLibrary()->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (sdlLibrary()->InitSubSystem(SDL_INIT_AUDIO) != 0) {
            m_unavailable = true;
            return false;
        }
        m_sdlUp = true;
    }
    SDL_AudioSpec want{};
    want.freq = 44100;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = kDeviceFrames;
    want.callback = &SdlSoundOutput::audioCallback;
    want.userdata = this;
    m_device = sdlLibrary()->OpenAudioDevice(nullptr, 0, &want, &m_spec,
                                             SDL_AUDIO_ALLOW_FREQUENCY_CHANGE |
                                                 SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (!m_device) {
        m_unavailable = true;
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_state = DeviceState::Paused;
    }
    if (!m_idleThread.joinable())
        m_idleThread = std::thread(&SdlSoundOutput::idleLoop, this);
    return true;
}

// Called with m_deviceMutex held.
void SdlSoundOutput::closeDevice()
{
    if (m_device)
        sdlLibrary()->CloseAudioDevice(m_device);
    m_device = 0;
    std::lock_guard lock(m_mutex);
    m_state = DeviceState::Closed;
    m_current.reset();
}

PlayRecord* SdlSoundOutput::recordFor(std::uint64_t serial)
{
    for (auto& [s, record] : m_records) {
        if (s == serial)
            return &record;
    }
    return nullptr;
}

void SDLCALL SdlSoundOutput::audioCallback(void* self, Uint8* stream, int len)
{
    static_cast<SdlSoundOutput*>(self)->fill(stream, len);
}

void SdlSoundOutput::fill(Uint8* stream, int len)
{
    std::size_t written = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_current) {
            Current& current = *m_current;
            PlayRecord* record = recordFor(current.serial);
            const auto now = Clock::now();
            if (current.pos < current.pcm->size()) {
                written = std::min(std::size_t(len), current.pcm->size() - current.pos);
                std::memcpy(stream, current.pcm->data() + current.pos, written);
                if (record && current.pos == 0)
                    record->firstSample = now;
                current.pos += written;
                if (record)
                    record->handedOver = current.pos;
            } else {
                // The device asks for more after taking the buffer that held the
                // last sample: only now has the sound really been heard.
                if (record) {
                    record->heard = true;
                    record->ended = now;
                }
                m_current.reset();
                m_changed.notify_all();
            }
        }
    }
    std::memset(stream + written, m_spec.silence, std::size_t(len) - written);
}

// Once nothing plays, pauses the device. A paused SDL device still wakes for
// every buffer to write silence, so after a quiet spell this thread also holds
// the device's lock, which stops the device thread until the next sound. The
// device stays open for the rest of the run: reopening it took over 100 ms
// that the first press after the quiet spell would wait for. A play takes the
// device back by setting it running and waking this thread, which unpauses
// the device and lets go of the lock.
void SdlSoundOutput::idleLoop()
{
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        m_changed.wait(lock,
                       [&] { return m_quit || (m_state != DeviceState::Closed && !m_current); });
        if (m_quit)
            break;
        lock.unlock();
        {
            std::lock_guard device(m_deviceMutex);
            bool pause = false;
            {
                std::lock_guard check(m_mutex);
                pause = m_state == DeviceState::Running && !m_current;
                if (pause)
                    m_state = DeviceState::Paused;
            }
            if (pause)
                sdlLibrary()->PauseAudioDevice(m_device, 1);
        }
        lock.lock();
        if (m_changed.wait_for(lock, kRestAfterQuiet,
                               [&] { return m_quit || m_state != DeviceState::Paused; }))
            continue;
        lock.unlock();
        bool resting = false;
        {
            std::lock_guard device(m_deviceMutex);
            {
                std::lock_guard check(m_mutex);
                resting = m_state == DeviceState::Paused;
            }
            if (resting)
                sdlLibrary()->LockAudioDevice(m_device);
        }
        lock.lock();
        if (!resting)
            continue;
        m_changed.wait(lock, [&] { return m_quit || m_state != DeviceState::Paused; });
        const bool wanted = m_state == DeviceState::Running;
        lock.unlock();
        // Unpaused before the lock goes, or the device thread, first to take
        // it, would play one more buffer of silence before the sound.
        if (wanted)
            sdlLibrary()->PauseAudioDevice(m_device, 0);
        sdlLibrary()->UnlockAudioDevice(m_device);
        lock.lock();
    }
}

} // namespace ResWave
