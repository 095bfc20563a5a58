#include "sound/PulseSoundOutput.h"

#include "sound/NoOutputNotice.h"
#include "sound/PulseLibrary.h"
#include "sound/ResWave.h"
#include "sound/SoundBank.h"
#include "sound/WaveImage.h"
#include "startup/Resources.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <list>
#include <mutex>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace ResWave {

using Clock = std::chrono::steady_clock;

namespace {

constexpr const char* kGameName = "Vuruz Erireviru Simulator";
constexpr const char* kGameId = "de.wendrake.vuruz";

constexpr int kByteRate = SoundBank::kRate * SoundBank::kFrameBytes;
// Within a game sounds follow each other closer than this (the longest answer
// time is 3 s), so the stream stays through a game; after it the stream goes,
// and the server may suspend its sink.
constexpr auto kRestAfterQuiet = std::chrono::seconds(4);
// A server that holds a sound this long past its end is taken to be gone for
// good; a shorter stall (a busy machine, a suspend) only holds the game.
constexpr auto kStallGrace = std::chrono::seconds(8);
// After a loss, how often to look for the server again while a game goes on.
constexpr auto kRetryEvery = std::chrono::milliseconds(250);
// How far the writes run ahead of what the server has played: a whole game
// sound goes at once, so nothing the machine does later can tear it.
constexpr auto kWriteAhead = std::chrono::seconds(2);
constexpr auto kTopUpEvery = std::chrono::milliseconds(250);

std::size_t bytesFor(Clock::duration d)
{
    return std::size_t(std::chrono::duration_cast<std::chrono::microseconds>(d).count()) *
           kByteRate / 1'000'000 / SoundBank::kFrameBytes * SoundBank::kFrameBytes;
}

std::span<const unsigned char> asBytes(const QByteArray& bytes)
{
    return {reinterpret_cast<const unsigned char*>(bytes.constData()), std::size_t(bytes.size())};
}

void post(SoundDone done)
{
    if (done && QCoreApplication::instance())
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(done),
                                  Qt::QueuedConnection);
}

// The game's name, icon and role, for the mixer and the server's policies.
pa_proplist* gameProperties(const PulseLibrary* lib)
{
    pa_proplist* props = lib->pa_proplist_new();
    lib->pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, kGameName);
    lib->pa_proplist_sets(props, PA_PROP_APPLICATION_ID, kGameId);
    lib->pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, kGameId);
    lib->pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
    return props;
}

} // namespace

struct PulseSoundOutput::Loop {
    struct Sound {
        enum State { Waiting, Playing, Draining, Orphaned };
        std::uint64_t serial = 0;
        QString source;
        Pcm pcm;
        // Converted on libpulse's thread when the bank has no copy yet. Plain
        // copies: what crosses threads shares no reference count with the caller.
        std::vector<unsigned char> image;
        SoundDone done;
        Clock::time_point called;
        Clock::duration length{};
        State state = Waiting;
        std::size_t written = 0;
        Clock::time_point startedAt;
        SoundEnd lostHow = SoundEnd::Lost;
    };
    enum class Request { Play, Connect, Open };
    struct Command {
        Request request;
        std::unique_ptr<Sound> sound;
    };
    struct Drain {
        Loop* loop;
        std::uint64_t serial;
        pa_operation* operation = nullptr;
    };

    Loop(SoundObserver* watcher, std::chrono::microseconds wanted);
    ~Loop();

    void startOnce();
    void submit(Command command);
    void wake();
    void endUnplayed(Command command);

    // Everything below runs on libpulse's thread, under its lock.
    void service();
    void take(Command command);
    void connect();
    void lose();
    void openStream();
    void closeStream();
    void dropStream();
    void dropContext();
    void begin();
    void writeMore();
    void end(SoundEnd how, Clock::time_point at);
    void check(Clock::time_point now);
    void arm(Clock::time_point now);
    void tellDevice(bool open);
    void cancelDrains();
    bool active(Clock::time_point now) const;

    static void onWake(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self);
    static void onContextState(pa_context* context, void* self);
    static void onStreamState(pa_stream* stream, void* self);
    static void onWritable(pa_stream* stream, size_t bytes, void* self);
    static void onDrained(pa_stream* stream, int success, void* drain);

    SoundObserver* const observer;
    const std::chrono::microseconds latency;
    SoundBank bank;
    std::atomic<std::uint64_t> nextSerial{1};

    // Set once by the starter, before libpulse's thread runs.
    const PulseLibrary* lib = nullptr;
    std::once_flag startFlag;
    std::thread starter;
    pa_threaded_mainloop* mainloop = nullptr;
    pa_mainloop_api* api = nullptr;
    int wakeFd = -1;
    int timerFd = -1;
    pa_io_event* wakeEvent = nullptr;
    pa_io_event* timerEvent = nullptr;

    // Shared with the callers' threads.
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Command> commands;
    bool streamReady = false;
    std::uint64_t failures = 0;
    bool unavailable = false; // no libpulse on this machine

    // libpulse's thread's own.
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    bool streamWanted = false;
    std::unique_ptr<Sound> current;
    std::list<Drain> drains;
    Clock::time_point lastSound;
    Clock::time_point retryAt;
    bool retrying = false;
    Clock::time_point topUpAt;
    NoOutputNotice notice;
};

PulseSoundOutput::Loop::Loop(SoundObserver* watcher, std::chrono::microseconds wanted)
    : observer(watcher), latency(wanted)
{
    wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
}

PulseSoundOutput::Loop::~Loop()
{
    if (starter.joinable())
        starter.join();
    if (mainloop) {
        lib->pa_threaded_mainloop_lock(mainloop);
        current.reset();
        dropStream();
        dropContext();
        api->io_free(wakeEvent);
        api->io_free(timerEvent);
        lib->pa_threaded_mainloop_unlock(mainloop);
        lib->pa_threaded_mainloop_stop(mainloop);
        lib->pa_threaded_mainloop_free(mainloop);
    }
    close(wakeFd);
    close(timerFd);
}

// libpulse is loaded, and its thread started, by the first prepare or play:
// on a thread of its own, so that neither the start nor a play waits for it.
// What comes meanwhile waits in the queue.
void PulseSoundOutput::Loop::startOnce()
{
    std::call_once(startFlag, [this] {
        starter = std::thread([this] {
            const PulseLibrary* loaded = pulseLibrary();
            if (!loaded) {
                std::vector<Command> waiting;
                {
                    std::lock_guard lock(mutex);
                    unavailable = true;
                    waiting.swap(commands);
                    changed.notify_all();
                }
                for (Command& command : waiting)
                    endUnplayed(std::move(command));
                return;
            }
            lib = loaded;
            mainloop = lib->pa_threaded_mainloop_new();
            api = lib->pa_threaded_mainloop_get_api(mainloop);
            lib->pa_threaded_mainloop_set_name(mainloop, "vuruz-sound");
            wakeEvent = api->io_new(api, wakeFd, PA_IO_EVENT_INPUT, &Loop::onWake, this);
            timerEvent = api->io_new(api, timerFd, PA_IO_EVENT_INPUT, &Loop::onWake, this);
            lib->pa_threaded_mainloop_start(mainloop);
        });
    });
}

// Without libpulse a sound cannot be played: it takes its length unheard.
void PulseSoundOutput::Loop::endUnplayed(Command command)
{
    if (command.request != Request::Play)
        return;
    const Sound& sound = *command.sound;
    notice.tell(NoOutputNotice::Reason::NoServer);
    const auto now = Clock::now();
    if (observer) {
        observer->started(sound.serial, sound.source, 0, sound.called);
        observer->ended(sound.serial, SoundEnd::NoDevice, 0, now);
    }
    finishAfter(
        std::move(command.sound->done),
        std::chrono::duration_cast<std::chrono::milliseconds>(sound.called + sound.length - now));
}

// From any thread: the command waits for libpulse's thread.
void PulseSoundOutput::Loop::submit(Command command)
{
    startOnce();
    {
        std::lock_guard lock(mutex);
        if (!unavailable) {
            commands.push_back(std::move(command));
            wake();
            return;
        }
    }
    endUnplayed(std::move(command));
}

void PulseSoundOutput::Loop::wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof one);
}

void PulseSoundOutput::Loop::onWake(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                                    void* self)
{
    std::uint64_t count = 0;
    [[maybe_unused]] const auto got = ::read(fd, &count, sizeof count);
    static_cast<Loop*>(self)->service();
}

void PulseSoundOutput::Loop::service()
{
    std::vector<Command> taken;
    {
        std::lock_guard lock(mutex);
        taken.swap(commands);
    }
    for (Command& command : taken)
        take(std::move(command));
    const auto now = Clock::now();
    check(now);
    arm(Clock::now());
}

bool PulseSoundOutput::Loop::active(Clock::time_point now) const
{
    return current || now - lastSound < kRestAfterQuiet;
}

void PulseSoundOutput::Loop::take(Command command)
{
    const auto now = Clock::now();
    if (command.request == Request::Connect) {
        if (!context)
            connect();
        return;
    }
    streamWanted = true;
    lastSound = now;
    if (command.request == Request::Open) {
        if (!context)
            connect();
        else if (lib->pa_context_get_state(context) == PA_CONTEXT_READY && !stream)
            openStream();
        else if (stream && lib->pa_stream_get_state(stream) == PA_STREAM_READY) {
            std::lock_guard lock(mutex);
            streamReady = true;
            changed.notify_all();
        }
        return;
    }
    std::unique_ptr<Sound> sound = std::move(command.sound);
    if (!sound->pcm && !sound->image.empty())
        sound->pcm = bank.decode(sound->image);
    sound->image = {};
    if (observer)
        observer->started(sound->serial, sound->source, sound->pcm ? sound->pcm->size() : 0,
                          sound->called);
    if (current)
        end(SoundEnd::CutOff, now);
    current = std::move(sound);
    if (!current->pcm)
        return; // not to be converted: it ends, unheard, after its length
    if (!context)
        connect();
    else if (lib->pa_context_get_state(context) == PA_CONTEXT_READY && !stream)
        openStream();
    else if (stream && lib->pa_stream_get_state(stream) == PA_STREAM_READY)
        begin();
}

void PulseSoundOutput::Loop::connect()
{
    pa_proplist* props = gameProperties(lib);
    context = lib->pa_context_new_with_proplist(api, kGameName, props);
    lib->pa_proplist_free(props);
    lib->pa_context_set_state_callback(context, &Loop::onContextState, this);
    // A game never starts a sound server of its own.
    if (lib->pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lose();
}

// The server went, or never answered: the stream goes with it, a sound that
// played is lost (it ends when it would have ended), and the server is looked
// for again while the game goes on.
void PulseSoundOutput::Loop::lose()
{
    const auto now = Clock::now();
    dropStream();
    dropContext();
    if (current && current->state != Sound::Waiting) {
        current->state = Sound::Orphaned;
        current->lostHow = SoundEnd::Lost;
    }
    {
        std::lock_guard lock(mutex);
        streamReady = false;
        ++failures;
        changed.notify_all();
    }
    tellDevice(false);
    retrying = true;
    retryAt = now + kRetryEvery;
}

void PulseSoundOutput::Loop::openStream()
{
    static const pa_sample_spec format{PA_SAMPLE_S16LE, SoundBank::kRate, SoundBank::kChannels};
    pa_proplist* props = gameProperties(lib);
    lib->pa_proplist_sets(props, PA_PROP_MEDIA_NAME, kGameName);
    stream = lib->pa_stream_new_with_proplist(context, kGameName, &format, nullptr, props);
    lib->pa_proplist_free(props);
    if (!stream) {
        lose();
        return;
    }
    lib->pa_stream_set_state_callback(stream, &Loop::onStreamState, this);
    lib->pa_stream_set_write_callback(stream, &Loop::onWritable, this);
    const auto latencyBytes =
        std::uint32_t(lib->pa_usec_to_bytes(pa_usec_t(latency.count()), &format));
    pa_buffer_attr attr{};
    attr.maxlength = std::uint32_t(-1);
    attr.tlength = latencyBytes;
    // A sound starts as soon as its first frames are there; a short one is
    // played out by the drain even below this.
    attr.prebuf = std::uint32_t(SoundBank::kFrameBytes * 64);
    attr.minreq = std::uint32_t(-1);
    attr.fragsize = std::uint32_t(-1);
    // The latency asked for is the whole way to the sink; no device is named,
    // so the stream follows the player's default output.
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_UNMUTED);
    if (lib->pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
        closeStream();
}

void PulseSoundOutput::Loop::closeStream()
{
    const bool wasOpen = stream && lib->pa_stream_get_state(stream) == PA_STREAM_READY;
    dropStream();
    {
        std::lock_guard lock(mutex);
        streamReady = false;
        changed.notify_all();
    }
    if (wasOpen)
        tellDevice(false);
}

// Lets go of the stream and whatever waits on it; no callback of it runs after.
void PulseSoundOutput::Loop::dropStream()
{
    cancelDrains();
    if (!stream)
        return;
    lib->pa_stream_set_state_callback(stream, nullptr, nullptr);
    lib->pa_stream_set_write_callback(stream, nullptr, nullptr);
    lib->pa_stream_disconnect(stream); // refused, harmlessly, by a stream that failed
    lib->pa_stream_unref(stream);
    stream = nullptr;
}

void PulseSoundOutput::Loop::dropContext()
{
    if (!context)
        return;
    lib->pa_context_set_state_callback(context, nullptr, nullptr);
    lib->pa_context_disconnect(context);
    lib->pa_context_unref(context);
    context = nullptr;
}

void PulseSoundOutput::Loop::tellDevice(bool open)
{
    if (observer)
        observer->deviceChanged(open, Clock::now());
}

void PulseSoundOutput::Loop::cancelDrains()
{
    for (Drain& drain : drains) {
        lib->pa_operation_cancel(drain.operation);
        lib->pa_operation_unref(drain.operation);
    }
    drains.clear();
}

void PulseSoundOutput::Loop::onContextState(pa_context* context, void* self)
{
    auto* loop = static_cast<Loop*>(self);
    const PulseLibrary* lib = loop->lib;
    switch (lib->pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        loop->retrying = false;
        if (loop->streamWanted && !loop->stream && (loop->current || loop->active(Clock::now())))
            loop->openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        loop->lose();
        break;
    default:
        break;
    }
    loop->check(Clock::now());
    loop->arm(Clock::now());
}

void PulseSoundOutput::Loop::onStreamState(pa_stream* stream, void* self)
{
    auto* loop = static_cast<Loop*>(self);
    const PulseLibrary* lib = loop->lib;
    switch (lib->pa_stream_get_state(stream)) {
    case PA_STREAM_READY: {
        {
            std::lock_guard lock(loop->mutex);
            loop->streamReady = true;
            loop->changed.notify_all();
        }
        loop->tellDevice(true);
        loop->lastSound = std::max(loop->lastSound, Clock::now());
        if (loop->current && loop->current->state == Sound::Waiting && loop->current->pcm)
            loop->begin();
        break;
    }
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        // The server took the stream away (its sink went with no other to
        // take it, or it was killed): the sound it played is lost, the next
        // one opens a new stream.
        if (loop->current && loop->current->state != Sound::Waiting)
            loop->current->state = Sound::Orphaned;
        loop->closeStream();
        {
            std::lock_guard lock(loop->mutex);
            ++loop->failures;
        }
        break;
    default:
        break;
    }
    loop->check(Clock::now());
    loop->arm(Clock::now());
}

// Starts the current sound on a ready stream: whatever an earlier sound left
// in the server's queue goes first.
void PulseSoundOutput::Loop::begin()
{
    cancelDrains();
    if (pa_operation* flush = lib->pa_stream_flush(stream, nullptr, nullptr))
        lib->pa_operation_unref(flush);
    current->state = Sound::Playing;
    current->startedAt = Clock::now();
    writeMore();
    if (observer && current)
        observer->firstSample(current->serial, Clock::now());
}

void PulseSoundOutput::Loop::writeMore()
{
    if (!current || current->state != Sound::Playing || !stream)
        return;
    Sound& sound = *current;
    const auto now = Clock::now();
    const std::size_t size = sound.pcm->size();
    const std::size_t due = bytesFor(now - sound.startedAt + kWriteAhead);
    std::size_t bytes = std::max(lib->pa_stream_writable_size(stream),
                                 due > sound.written ? due - sound.written : std::size_t(0));
    bytes = std::min(bytes, size - sound.written) / SoundBank::kFrameBytes * SoundBank::kFrameBytes;
    if (bytes > 0) {
        if (lib->pa_stream_write(stream, sound.pcm->data() + sound.written, bytes, nullptr, 0,
                                 PA_SEEK_RELATIVE) < 0)
            return;
        sound.written += bytes;
    }
    topUpAt = now + kTopUpEvery;
    if (sound.written < size)
        return;
    sound.state = Sound::Draining;
    drains.push_back(Drain{this, sound.serial});
    Drain& drain = drains.back();
    drain.operation = lib->pa_stream_drain(stream, &Loop::onDrained, &drain);
    if (!drain.operation)
        drains.pop_back();
}

void PulseSoundOutput::Loop::onWritable(pa_stream*, size_t, void* self)
{
    static_cast<Loop*>(self)->writeMore();
}

void PulseSoundOutput::Loop::onDrained(pa_stream*, int success, void* token)
{
    auto* drain = static_cast<Drain*>(token);
    Loop* loop = drain->loop;
    const PulseLibrary* lib = loop->lib;
    const std::uint64_t serial = drain->serial;
    lib->pa_operation_unref(drain->operation);
    loop->drains.remove_if([drain](const Drain& d) { return &d == drain; });
    if (!loop->current || loop->current->serial != serial ||
        loop->current->state != Sound::Draining)
        return;
    if (success) {
        loop->end(SoundEnd::Heard, Clock::now());
    } else {
        // The server would not say; the sound ends when it would have.
        loop->current->state = Sound::Orphaned;
        loop->current->lostHow = SoundEnd::Stalled;
    }
    loop->check(Clock::now());
    loop->arm(Clock::now());
}

void PulseSoundOutput::Loop::end(SoundEnd how, Clock::time_point at)
{
    std::unique_ptr<Sound> sound = std::move(current);
    lastSound = std::max(lastSound, at);
    if (how == SoundEnd::NoDevice) {
        const bool server = context && lib->pa_context_get_state(context) == PA_CONTEXT_READY;
        notice.tell(server ? NoOutputNotice::Reason::StreamNotStarted
                           : NoOutputNotice::Reason::NoServer);
    }
    if (observer)
        observer->ended(sound->serial, how, sound->written, at);
    post(std::move(sound->done));
}

// Ends what is due: a sound that found no stream, one the server holds too
// long, one lost with its server; closes a quiet stream; looks for a server.
void PulseSoundOutput::Loop::check(Clock::time_point now)
{
    if (current) {
        Sound& sound = *current;
        switch (sound.state) {
        case Sound::Waiting:
            if (now >= sound.called + sound.length)
                end(SoundEnd::NoDevice, now);
            break;
        case Sound::Playing:
            if (now >= topUpAt)
                writeMore();
            [[fallthrough]];
        case Sound::Draining:
            if (current && now >= current->startedAt + current->length + kStallGrace)
                end(SoundEnd::Stalled, now);
            break;
        case Sound::Orphaned:
            if (now >= sound.startedAt + sound.length)
                end(sound.lostHow, now);
            break;
        }
    }
    if (!current && stream && now - lastSound >= kRestAfterQuiet) {
        streamWanted = false;
        closeStream();
    }
    if (!context && retrying && now >= retryAt) {
        if (active(now))
            connect();
        else
            retrying = false; // the next sound looks again
    }
}

// Sets the timer to the next moment check() has something to do.
void PulseSoundOutput::Loop::arm(Clock::time_point now)
{
    Clock::time_point next = Clock::time_point::max();
    if (current) {
        const Sound& sound = *current;
        switch (sound.state) {
        case Sound::Waiting:
            next = sound.called + sound.length;
            break;
        case Sound::Playing:
            next = std::min(topUpAt, sound.startedAt + sound.length + kStallGrace);
            break;
        case Sound::Draining:
            next = sound.startedAt + sound.length + kStallGrace;
            break;
        case Sound::Orphaned:
            next = sound.startedAt + sound.length;
            break;
        }
    } else if (stream) {
        next = lastSound + kRestAfterQuiet;
    }
    if (!context && retrying)
        next = std::min(next, retryAt);
    itimerspec wake{};
    if (next != Clock::time_point::max()) {
        // An absolute time on the monotonic clock, which steady_clock reads.
        const auto at = std::max(next, now + std::chrono::microseconds(100));
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch());
        wake.it_value.tv_sec = time_t(ns.count() / 1'000'000'000);
        wake.it_value.tv_nsec = long(ns.count() % 1'000'000'000);
    }
    timerfd_settime(timerFd, TFD_TIMER_ABSTIME, &wake, nullptr);
}

PulseSoundOutput::PulseSoundOutput(SoundObserver* observer, std::chrono::microseconds latency)
    : m_loop(std::make_unique<Loop>(observer, latency))
{
}

PulseSoundOutput::~PulseSoundOutput() = default;

void PulseSoundOutput::prepare()
{
    m_loop->bank.decodeCatalogue();
    m_loop->submit({Loop::Request::Connect, nullptr});
}

bool PulseSoundOutput::deviceAvailable(std::chrono::milliseconds limit)
{
    m_loop->startOnce();
    std::unique_lock lock(m_loop->mutex);
    const std::uint64_t failures = m_loop->failures;
    m_loop->commands.push_back({Loop::Request::Open, nullptr});
    m_loop->wake();
    m_loop->changed.wait_for(lock, limit, [&] {
        return m_loop->streamReady || m_loop->failures != failures || m_loop->unavailable;
    });
    return m_loop->streamReady;
}

void PulseSoundOutput::playMemory(const QString& name, const QByteArray& image, int flags,
                                  SoundDone done)
{
    if (start(name, image, done))
        return;
    if (flags & SND_NODEFAULT)
        post(std::move(done));
    else
        startDefault(std::move(done));
}

void PulseSoundOutput::playFile(const QString& path, int flags)
{
    QByteArray bytes;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    if (!start(path, bytes, {}) && !(flags & SND_NODEFAULT))
        startDefault({});
}

void PulseSoundOutput::startDefault(SoundDone done)
{
    const auto ding = Commands::loadResource(QStringLiteral("SYSTEM"), QStringLiteral("ding.wav"));
    if (!ding || !start(QStringLiteral(":/SYSTEM/ding.wav"), *ding, done))
        post(std::move(done));
}

// False when the image cannot be played. Only the header is read here; the
// conversion is the bank's, done before or on libpulse's thread.
bool PulseSoundOutput::start(const QString& source, const QByteArray& image, SoundDone done)
{
    const WaveImage wave = readWaveImage(asBytes(image));
    if (!wave.playable())
        return false;
    auto sound = std::make_unique<Loop::Sound>();
    sound->called = Clock::now();
    sound->serial = m_loop->nextSerial++;
    sound->source = QString(source.constData(), source.size());
    sound->length = std::chrono::milliseconds(wave.lengthMs());
    sound->pcm = m_loop->bank.find(asBytes(image));
    if (!sound->pcm)
        sound->image.assign(image.cbegin(), image.cend());
    sound->done = std::move(done);
    m_loop->submit({Loop::Request::Play, std::move(sound)});
    return true;
}

} // namespace ResWave
