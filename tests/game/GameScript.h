#pragma once

#include "game/GameEffects.h"
#include "game/GameTables.h"

#include <string>
#include <vector>

using Game::Dialog;

// One input of a script, at its time in milliseconds.
struct ScriptEvent {
    enum class Kind {
        Zone,        // value: the zone, pressed with any button
        Body,        // value: the button (1 left, 2 right, 4 middle) outside the zones
        KeyDown,     // value: Game::Key
        KeyUp,       // value: Game::Key
        Closed,      // value: the Dialog closed (the options by any way, the table)
        Name,        // name: what the prompt gives (the empty text for a cancel)
        TableButton, // "High Score" in the options
        Language,    // value: the language chosen in the options
        AnswerTime,  // value: the answer time chosen in the options
        Leave,       // "Programm beenden"
        Close,       // the toy's close (Alt+F4)
        Poll,        // only in the model's queue: a key poll tick
        Tick,        // only in the model's queue: an answer time-out tick
    };
    long time = 0;
    Kind kind = Kind::Zone;
    int value = 0;
    std::string name;
};

// A whole run: the inputs in time order, the random draws in the order they
// are taken, the start settings and the table file.
struct Script {
    std::vector<ScriptEvent> events;
    std::vector<double> draws;
    int interval = 800;
    int language = 0;
    std::string file; // 220 bytes, or empty for no file
    bool fileUnreadable = false;
    bool fileUnwritable = false;
    long limit = 15000; // nothing after this time is compared
};

// What a run did, one line each: "<ms> <what>".
using Trace = std::vector<std::string>;

// How long each recording lasts in the tests: fixed per name, all different.
int soundLength(const char* sound);

// The table file's bytes: 20 name bytes (ASCII here), points as int16 LE.
std::string encodeTable(const std::vector<std::pair<std::string, int>>& places);
std::vector<std::pair<std::string, int>> decodeTable(const std::string& bytes);
std::vector<std::pair<std::string, int>> defaultPlaces();
std::string padName(const std::string& name);

std::string describe(const ScriptEvent& event);
