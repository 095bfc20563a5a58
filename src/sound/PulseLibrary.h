#pragma once

#include <pulse/pulseaudio.h>

// The libpulse functions the desktop output uses, from the library loaded on
// a thread of its own once the toy stands on the desktop: libpulse brings
// libsndfile and its codecs along, a dozen libraries the start need not wait
// for.
namespace ResWave {

#define VURUZ_PULSE_FUNCTIONS(X)                                                                   \
    X(pa_threaded_mainloop_new)                                                                    \
    X(pa_threaded_mainloop_get_api)                                                                \
    X(pa_threaded_mainloop_set_name)                                                               \
    X(pa_threaded_mainloop_start)                                                                  \
    X(pa_threaded_mainloop_lock)                                                                   \
    X(pa_threaded_mainloop_unlock)                                                                 \
    X(pa_threaded_mainloop_stop)                                                                   \
    X(pa_threaded_mainloop_free)                                                                   \
    X(pa_proplist_new)                                                                             \
    X(pa_proplist_sets)                                                                            \
    X(pa_proplist_free)                                                                            \
    X(pa_context_new_with_proplist)                                                                \
    X(pa_context_set_state_callback)                                                               \
    X(pa_context_connect)                                                                          \
    X(pa_context_get_state)                                                                        \
    X(pa_context_disconnect)                                                                       \
    X(pa_context_unref)                                                                            \
    X(pa_stream_new_with_proplist)                                                                 \
    X(pa_stream_set_state_callback)                                                                \
    X(pa_stream_set_write_callback)                                                                \
    X(pa_stream_connect_playback)                                                                  \
    X(pa_stream_get_state)                                                                         \
    X(pa_stream_disconnect)                                                                        \
    X(pa_stream_unref)                                                                             \
    X(pa_stream_flush)                                                                             \
    X(pa_stream_write)                                                                             \
    X(pa_stream_writable_size)                                                                     \
    X(pa_stream_drain)                                                                             \
    X(pa_operation_cancel)                                                                         \
    X(pa_operation_unref)                                                                          \
    X(pa_usec_to_bytes)

struct PulseLibrary {
#define VURUZ_PULSE_MEMBER(name) decltype(&::name) name = nullptr;
    VURUZ_PULSE_FUNCTIONS(VURUZ_PULSE_MEMBER)
#undef VURUZ_PULSE_MEMBER
};

// Loads the library once; nullptr when it or one of its functions is missing,
// which the output treats like a machine without a sound server.
const PulseLibrary* pulseLibrary();

} // namespace ResWave
