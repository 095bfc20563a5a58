#include "sound/SdlSoundOutput.h"

#include "sound/ResWave.h"
#include "sound/SdlLibrary.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"

#include <QCoreApplication>
#include <QFile>
#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

namespace ResWave {

using Clock = std::chrono::steady_clock;

struct SdlSoundOutput::Sound {
    std::shared_ptr<const std::vector<Uint8>> pcm;
    std::size_t pos = 0;
    std::uint64_t serial = 0;
    SoundDone done;
    Clock::duration length{};
    Clock::time_point called;
    Clock::time_point deadline;
};

struct SdlSoundOutput::Event {
    enum Kind { First, Ended } kind;
    std::uint64_t serial = 0;
    SoundEnd how = SoundEnd::Heard;
    std::size_t handedOver = 0;
    Clock::time_point at;
    // An ended sound is freed here, on the output thread, not in the callback.
    std::unique_ptr<Sound> sound;
};

struct SdlSoundOutput::Sync {
    std::mutex mutex;
    std::condition_variable changed;
};

// One opening of SDL's audio and its device, on a thread of its own. SDL has
// no way to cancel an opening that blocks (its pipewire driver waits for good
// for a session manager to link the new stream, and there may be none), so
// the output thread goes on meanwhile, ending sounds by their stall guard, and
// the output may even be destroyed first: then the opening, should it ever
// return, closes what it got itself. The device stays paused until the output
// thread takes it over, so the callback never runs for an output that is gone.
struct SdlSoundOutput::Opening {
    std::shared_ptr<Sync> sync;
    void* output = nullptr; // only handed to SDL as the callback's user data
    // Whether SDL's audio is up: before the opening, and after it.
    bool sdlUp = false;
    bool noLibrary = false;
    bool restByClosing = true;
    int frames = kDeviceFrames;
    SDL_AudioDeviceID device = 0;
    // Guarded by sync->mutex.
    bool finished = false;
    bool abandoned = false;
};

namespace {

// Within a game sounds follow each other closer than this (the longest answer
// time is 3 s), so the device stays open through a game; after it the stream
// goes, and the sound server may suspend its sink.
constexpr auto kRestAfterQuiet = std::chrono::seconds(4);
// A device that stops asking for samples must not hang the game for good.
constexpr auto kStallGrace = std::chrono::seconds(1);
// An open device asks every few milliseconds; one silent this long is gone
// (the pipewire driver just stops calling when its server dies).
constexpr auto kDeviceSilence = std::chrono::milliseconds(300);
constexpr auto kCheckEvery = std::chrono::milliseconds(50);
// After a loss, how often to look for the server again while a game goes on.
constexpr auto kRetryEvery = std::chrono::milliseconds(250);
constexpr std::size_t kEventsKept = 16;
// How long a destroyed output waits for an opening under way; one that takes
// longer is left to close itself whenever it returns.
constexpr auto kOpeningOnQuit = std::chrono::milliseconds(500);

constexpr const char* kGameName = "Vuruz Erireviru Simulator";

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

// Mixers list the stream by the game's name. Only SDL's hints: the icon would
// have to go through the environment, which other threads read meanwhile.
void nameTheStream()
{
    const SdlLibrary* sdl = sdlLibrary();
    sdl->SetHint(SDL_HINT_APP_NAME, kGameName);
    sdl->SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, kGameName);
    sdl->SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, kGameName);
}

std::span<const unsigned char> asBytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())};
}

} // namespace

SdlSoundOutput::SdlSoundOutput(SoundObserver* observer)
    : m_observer(observer), m_sync(std::make_shared<Sync>()), m_mutex(m_sync->mutex),
      m_changed(m_sync->changed)
{
    m_events.reserve(kEventsKept);
    m_thread = std::thread(&SdlSoundOutput::run, this);
}

SdlSoundOutput::~SdlSoundOutput()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void SdlSoundOutput::playMemory(const QString& name, const QByteArray& image, int flags,
                                SoundDone done)
{
    if (start(name, asBytes(image), done))
        return;
    if (flags & SND_NODEFAULT)
        post(std::move(done));
    else
        startDefault(name, std::move(done));
}

void SdlSoundOutput::playFile(const QString& path, int flags)
{
    QByteArray bytes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!start(path, asBytes(bytes), {}) && !(flags & SND_NODEFAULT))
        startDefault(path, {});
}

void SdlSoundOutput::startDefault(const QString&, SoundDone done)
{
    const auto ding = Commands::loadResource(QStringLiteral("SYSTEM"), QStringLiteral("ding.wav"));
    if (!ding || !start(QStringLiteral(":/SYSTEM/ding.wav"), asBytes(*ding), done))
        post(std::move(done));
}

void SdlSoundOutput::prepare()
{
    m_bank.decodeCatalogue();
    {
        std::lock_guard lock(m_mutex);
        m_openWanted = true;
    }
    m_changed.notify_all();
}

bool SdlSoundOutput::deviceAvailable(std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_mutex);
    m_openWanted = true;
    const std::uint64_t attempts = m_openAttempts;
    m_changed.notify_all();
    m_changed.wait_for(lock, limit, [&] { return m_deviceOpen || m_openAttempts != attempts; });
    return m_deviceOpen;
}

// False when the image cannot be played; a missing device is silence, not failure.
bool SdlSoundOutput::start(const QString& source, std::span<const unsigned char> image,
                           SoundDone done)
{
    const WaveImage wave = readWaveImage(image);
    if (!wave.playable())
        return false;
    const auto called = Clock::now();
    // The converted copy belongs to the bank, so a sound from memory outlives
    // the caller's buffer; most were converted ahead by prepare().
    Pcm pcm = m_bank.find(image);
    if (!pcm)
        pcm = m_bank.decode(image);
    if (!pcm) {
        m_notice.tell(NoOutputNotice::Reason::NoSdlDevice);
        finishAfter(std::move(done), std::chrono::milliseconds(wave.lengthMs()));
        return true;
    }
    auto sound = std::make_unique<Sound>();
    sound->pcm = pcm;
    sound->done = std::move(done);
    sound->length = std::chrono::milliseconds(pcm->size() * 1000 / (kRate * kFrameBytes));
    sound->called = called;
    sound->deadline = called + sound->length + kStallGrace;
    {
        std::lock_guard lock(m_mutex);
        sound->serial = m_nextSerial++;
    }
    if (m_observer)
        m_observer->started(sound->serial, source, pcm->size(), called);
    {
        std::lock_guard lock(m_mutex);
        if (m_current)
            endCurrent(SoundEnd::CutOff, called);
        m_current = std::move(sound);
        m_lastSound = called;
    }
    m_changed.notify_all();
    return true;
}

// Called with m_mutex held.
void SdlSoundOutput::endCurrent(SoundEnd how, Clock::time_point at)
{
    Event event{Event::Ended, m_current->serial, how, m_current->pos, at, std::move(m_current)};
    m_events.push_back(std::move(event));
}

void SdlSoundOutput::post(SoundDone done)
{
    if (done && QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(done),
                                  Qt::QueuedConnection);
}

void SdlSoundOutput::deliver(std::vector<Event>& events)
{
    for (Event& event : events) {
        if (event.kind == Event::First) {
            if (m_observer)
                m_observer->firstSample(event.serial, event.at);
            continue;
        }
        if (m_observer)
            m_observer->ended(event.serial, event.how, event.handedOver, event.at);
        if (event.how == SoundEnd::NoDevice || event.how == SoundEnd::Lost) {
            // Unheard, or cut by the device's loss, but as long as if heard:
            // the game keeps its pace.
            if (event.how == SoundEnd::NoDevice)
                m_notice.tell(NoOutputNotice::Reason::NoSdlDevice);
            const Sound& sound = *event.sound;
            finishAfter(std::move(event.sound->done),
                        std::chrono::duration_cast<std::chrono::milliseconds>(
                            sound.called + sound.length - Clock::now()));
            continue;
        }
        post(std::move(event.sound->done));
    }
}

void SDLCALL SdlSoundOutput::audioCallback(void* self, Uint8* stream, int len)
{
    static_cast<SdlSoundOutput*>(self)->fill(stream, len);
}

// Copies the next buffer of the sound; the rest is silence. Events for the
// output thread are queued here and reported there.
void SdlSoundOutput::fill(Uint8* stream, int len)
{
    std::size_t written = 0;
    bool tell = false;
    {
        std::lock_guard lock(m_mutex);
        ++m_callbacks;
        if (m_current) {
            Sound& sound = *m_current;
            if (sound.pos < sound.pcm->size()) {
                written = std::min(std::size_t(len), sound.pcm->size() - sound.pos);
                std::memcpy(stream, sound.pcm->data() + sound.pos, written);
                if (sound.pos == 0) {
                    m_events.push_back(Event{Event::First, sound.serial, SoundEnd::Heard, 0,
                                             Clock::now(), nullptr});
                    tell = true;
                }
                sound.pos += written;
            } else {
                // The device asks for more after taking the buffer that held the
                // last sample: only now has the sound really been heard.
                endCurrent(SoundEnd::Heard, Clock::now());
                tell = true;
            }
        }
    }
    if (tell)
        m_changed.notify_all();
    std::memset(stream + written, 0, std::size_t(len) - written);
}

// The output thread: opens the device when it is wanted, notices when it is
// lost, opens it again, lets it rest when the game is quiet, and reports the
// callback's events.
void SdlSoundOutput::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        if (!m_events.empty()) {
            std::vector<Event> events;
            events.swap(m_events);
            m_events.reserve(kEventsKept);
            lock.unlock();
            deliver(events);
            lock.lock();
            for (const Event& event : events) {
                if (event.kind == Event::Ended)
                    m_lastSound = std::max(m_lastSound, event.at);
            }
            continue;
        }
        if (m_quit)
            break;
        const auto now = Clock::now();
        const bool active = now - m_lastSound < kRestAfterQuiet;

        if (!m_device) {
            if (m_opening && !m_opening->finished) {
                // The opening may never return; a sound still ends by its
                // stall guard, and the game's wait for it with it.
                if (m_current && now > m_current->deadline) {
                    endCurrent(SoundEnd::Stalled, now);
                    continue;
                }
                if (m_current)
                    m_changed.wait_until(lock, m_current->deadline);
                else
                    m_changed.wait(lock);
                continue;
            }
            const bool retryDue = m_retrying && active && now >= m_retryAt;
            const bool wanted = m_current || m_openWanted || retryDue;
            if (wanted && !m_opening && !m_noLibrary) {
                beginOpening();
                continue;
            }
            if (m_opening || wanted) {
                lock.unlock();
                const bool opened = m_opening && finishOpening();
                if (m_observer)
                    m_observer->deviceChanged(opened, Clock::now());
                lock.lock();
                const auto tried = Clock::now();
                m_openWanted = false;
                ++m_openAttempts;
                m_deviceOpen = opened;
                m_retryAt = tried + kRetryEvery;
                if (opened) {
                    m_retrying = false;
                    // The device is kept for a quiet spell from its opening on.
                    m_lastSound = std::max(m_lastSound, tried);
                    if (m_current)
                        m_current->deadline = tried + m_current->length + kStallGrace;
                } else if (m_current)
                    endCurrent(SoundEnd::NoDevice, tried);
                m_changed.notify_all();
                continue;
            }
            if (m_retrying && active)
                m_changed.wait_until(lock, m_retryAt);
            else
                m_changed.wait(lock);
            continue;
        }

        if (m_resting) {
            if (!m_current && !m_quit) {
                m_changed.wait(lock);
                continue;
            }
            lock.unlock();
            m_resting = false;
            m_progressAt = Clock::now();
            sdlLibrary()->UnlockAudioDevice(m_device);
            lock.lock();
            continue;
        }

        if (m_callbacks != m_seenCallbacks) {
            m_seenCallbacks = m_callbacks;
            m_progressAt = now;
        }
        const bool lost = sdlLibrary()->GetAudioDeviceStatus(m_device) == SDL_AUDIO_STOPPED ||
                          now - m_progressAt > kDeviceSilence;
        if (lost) {
            if (m_current)
                endCurrent(SoundEnd::Lost, now);
            m_deviceOpen = false;
            m_retrying = true;
            m_retryAt = now;
            std::vector<Event> events;
            events.swap(m_events);
            lock.unlock();
            // The cut sound is reported before the device is taken down,
            // which can take a while with a server gone.
            deliver(events);
            // A server that comes back, or another one, is found only by
            // starting SDL's audio afresh.
            closeDevice(true);
            if (m_observer)
                m_observer->deviceChanged(false, Clock::now());
            lock.lock();
            continue;
        }
        if (m_current && now > m_current->deadline) {
            endCurrent(SoundEnd::Stalled, now);
            continue;
        }
        if (!m_current && !active) {
            lock.unlock();
            if (m_restByClosing) {
                closeDevice(false);
                if (m_observer)
                    m_observer->deviceChanged(false, Clock::now());
            } else {
                // SDL's disk driver starts its file afresh on every opening,
                // so it is held still instead: its thread waits for the lock.
                sdlLibrary()->LockAudioDevice(m_device);
                m_resting = true;
            }
            lock.lock();
            if (m_restByClosing)
                m_deviceOpen = false;
            continue;
        }
        m_changed.wait_for(lock, kCheckEvery);
    }
    std::vector<Event> dropped;
    dropped.swap(m_events);
    m_current.reset();
    if (m_opening) {
        m_changed.wait_for(lock, kOpeningOnQuit, [&] { return m_opening->finished; });
        if (!m_opening->finished) {
            // SDL's audio is the opening's to close now.
            m_opening->abandoned = true;
            m_opening.reset();
            return;
        }
        takeOpening();
    }
    lock.unlock();
    if (m_device) {
        if (m_resting)
            sdlLibrary()->UnlockAudioDevice(m_device);
        m_resting = false;
    }
    closeDevice(true);
}

// Unless the player chose a driver, PipeWire's own is tried first: through it
// a press reaches the server about 7 ms sooner than through its PulseAudio
// layer, which SDL would pick. Without a PipeWire server SDL picks as usual.
bool SdlSoundOutput::startAudio()
{
    const SdlLibrary* sdl = sdlLibrary();
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER")) {
        sdl->SetHint(SDL_HINT_AUDIODRIVER, "pipewire");
        const bool up = sdl->InitSubSystem(SDL_INIT_AUDIO) == 0;
        sdl->SetHint(SDL_HINT_AUDIODRIVER, "");
        if (up)
            return true;
    }
    return sdl->InitSubSystem(SDL_INIT_AUDIO) == 0;
}

// On the output thread, with m_mutex held: starts an opening; until it has
// finished, SDL's audio is the opening's.
void SdlSoundOutput::beginOpening()
{
    auto opening = std::make_shared<Opening>();
    opening->sync = m_sync;
    opening->output = this;
    opening->sdlUp = m_sdlUp;
    opening->noLibrary = m_noLibrary;
    opening->restByClosing = m_restByClosing;
    opening->frames = m_frames;
    m_sdlUp = false;
    m_opening = opening;
    std::thread([opening] {
        open(*opening);
        std::unique_lock lock(opening->sync->mutex);
        if (!opening->abandoned) {
            opening->finished = true;
            opening->sync->changed.notify_all();
            return;
        }
        lock.unlock();
        // Its output is gone; nobody else will close what it got.
        if (opening->device)
            sdlLibrary()->CloseAudioDevice(opening->device);
        if (opening->sdlUp)
            sdlLibrary()->QuitSubSystem(SDL_INIT_AUDIO);
    }).detach();
}

// On the output thread: what a finished opening got becomes the output's.
void SdlSoundOutput::takeOpening()
{
    const Opening& opening = *m_opening;
    m_sdlUp = opening.sdlUp;
    m_noLibrary = opening.noLibrary;
    m_restByClosing = opening.restByClosing;
    m_frames = opening.frames;
    m_device = opening.device;
    m_opening.reset();
}

// On the output thread, without m_mutex: takes over a finished opening's
// device and lets it play; false if it got none.
bool SdlSoundOutput::finishOpening()
{
    takeOpening();
    if (!m_device)
        return false;
    m_resting = false;
    m_progressAt = Clock::now();
    {
        std::lock_guard lock(m_mutex);
        m_seenCallbacks = m_callbacks;
    }
    sdlLibrary()->PauseAudioDevice(m_device, 0);
    return true;
}

// On the opening's own thread; touches nothing but the opening.
void SdlSoundOutput::open(Opening& opening)
{
    if (!opening.sdlUp) {
        if (!sdlLibrary()) {
            opening.noLibrary = true;
            return;
        }
        static std::once_flag quiet;
        std::call_once(quiet, [] {
            silenceAudioBackends();
            // SDL's own SIGINT/SIGTERM handlers would keep Ctrl-C and kill from ending the game.
            sdlLibrary()->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
            nameTheStream();
        });
        if (!startAudio())
            return;
        opening.sdlUp = true;
        const char* driver = sdlLibrary()->GetCurrentAudioDriver();
        const bool disk = driver && std::strcmp(driver, "disk") == 0;
        opening.restByClosing = !disk;
        opening.frames = disk ? kDiskFrames : kDeviceFrames;
    }
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = Uint16(opening.frames);
    want.callback = &SdlSoundOutput::audioCallback;
    want.userdata = opening.output;
    SDL_AudioSpec have{};
    // The device takes the game's format as it is (SDL converts if it must),
    // but may choose its own buffer size. It opens paused.
    opening.device =
        sdlLibrary()->OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_SAMPLES_CHANGE);
    if (!opening.device) {
        // A server that comes back, or another one, is found only by
        // starting SDL's audio afresh.
        sdlLibrary()->QuitSubSystem(SDL_INIT_AUDIO);
        opening.sdlUp = false;
    }
}

// On the output thread, without m_mutex.
void SdlSoundOutput::closeDevice(bool quitSdl)
{
    if (m_device)
        sdlLibrary()->CloseAudioDevice(m_device);
    m_device = 0;
    if (quitSdl && m_sdlUp) {
        sdlLibrary()->QuitSubSystem(SDL_INIT_AUDIO);
        m_sdlUp = false;
    }
}

} // namespace ResWave
