#pragma once

#include <cstdint>
#include <vector>

namespace Game {

// The dialogs the game opens; each holds the step that opened it.
enum class Dialog : std::uint8_t { Options, Table, NamePrompt };

// What the game asks of its window, its sound output and its dialogs.
struct Effect {
    enum class Kind : std::uint8_t {
        Play,        // `sound`, heard to its end; its end comes back as an input
        StartRhythm, // the beat file; nobody waits for it
        StartTimer1, // the answer time-out, `interval` ms from now; restarts a running one
        StopTimer1,
        RestartPoll, // the key poll counts its 40 ms from now
        EndDrag,
        Open, // `dialog`; the table, when it is up already, reads the file again
        End,  // the farewell has been heard: the beat deleted, the program ends
    };
    Kind kind;
    const char* sound = nullptr; // one of the sound tables' names
    int interval = 0;
    Dialog dialog = Dialog::Options;

    friend bool operator==(const Effect&, const Effect&) = default;
};

using Effects = std::vector<Effect>;

} // namespace Game
