#include "game/KeyBits.h"

namespace Game {

bool KeyBits::down(Key key)
{
    Bits& b = bits(key);
    if (b.down)
        return false; // a repeat of a held key: no new press
    b = {true, true, false};
    return true;
}

void KeyBits::up(Key key)
{
    bits(key).down = false;
}

void KeyBits::tick()
{
    for (Bits& b : m_keys) {
        if (b.pressed && b.seenByTick)
            b.pressed = false;
        b.seenByTick = b.pressed;
    }
}

std::uint16_t KeyBits::query(Key key)
{
    Bits& b = bits(key);
    const std::uint16_t state = (b.down ? kDown : 0) | (b.pressed ? kPressedSinceQuery : 0);
    b.pressed = false;
    return state;
}

} // namespace Game
