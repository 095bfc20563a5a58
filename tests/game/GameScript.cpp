#include "GameScript.h"

#include <cstring>

int soundLength(const char* sound)
{
    unsigned hash = 2166136261u;
    for (const char* c = sound; *c; ++c)
        hash = (hash ^ unsigned(static_cast<unsigned char>(*c))) * 16777619u;
    return 150 + int(hash % 1200u);
}

std::string padName(const std::string& name)
{
    std::string fitted = name.substr(0, 20);
    fitted.resize(20, ' ');
    return fitted;
}

std::string encodeTable(const std::vector<std::pair<std::string, int>>& places)
{
    std::string bytes;
    for (const auto& [name, points] : places) {
        bytes += padName(name);
        bytes += char(points & 0xff);
        bytes += char((points >> 8) & 0xff);
    }
    return bytes;
}

std::vector<std::pair<std::string, int>> decodeTable(const std::string& bytes)
{
    std::vector<std::pair<std::string, int>> places;
    for (std::size_t at = 0; at + 22 <= bytes.size() && places.size() < 10; at += 22) {
        const int points =
            std::int16_t(std::uint16_t(static_cast<unsigned char>(bytes[at + 20])) |
                         std::uint16_t(static_cast<unsigned char>(bytes[at + 21])) << 8);
        places.emplace_back(bytes.substr(at, 20), points);
    }
    return places;
}

std::vector<std::pair<std::string, int>> defaultPlaces()
{
    return std::vector<std::pair<std::string, int>>(10, {padName("Vuruz Erireviru"), 20});
}

std::string describe(const ScriptEvent& e)
{
    using K = ScriptEvent::Kind;
    static const char* const kKeys[] = {"T", "R", "D", "Z",     "K", "F",
                                        "S", "P", "B", "Space", "H", "Escape"};
    static const char* const kDialogs[] = {"options", "table", "name prompt"};
    const std::string at = std::to_string(e.time) + " ";
    switch (e.kind) {
    case K::Zone:
        return at + "zone " + std::to_string(e.value);
    case K::Body:
        return at + "body button " + std::to_string(e.value);
    case K::KeyDown:
        return at + "key down " + kKeys[e.value];
    case K::KeyUp:
        return at + "key up " + kKeys[e.value];
    case K::Closed:
        return at + "closed " + kDialogs[e.value];
    case K::Name:
        return at + "name '" + e.name + "'";
    case K::TableButton:
        return at + "options: High Score";
    case K::Language:
        return at + "options: language " + std::to_string(e.value);
    case K::AnswerTime:
        return at + "options: answer time " + std::to_string(e.value);
    case K::Leave:
        return at + "options: Programm beenden";
    case K::Close:
        return at + "Alt+F4";
    case K::Poll:
    case K::Tick:
        break;
    }
    return at + "?";
}
