#pragma once

#include "game/GameTables.h"

#include <array>
#include <cstdint>

namespace Game {

// The state of the polled keys as the poll reads it: whether each is down
// now, and whether it has been pressed since it was last read. A press
// counts only until the poll tick after the next: a key that no tick read
// (one the language does not poll, one typed while nothing polled it) is
// forgotten instead of acting much later, under another language.
class KeyBits {
  public:
    static constexpr std::uint16_t kDown = 0x8000;
    static constexpr std::uint16_t kPressedSinceQuery = 0x0001;

    // True when the key was up: a new press.
    bool down(Key key);
    void up(Key key);
    // At every poll tick, before the keys are read.
    void tick();
    // kDown and/or kPressedSinceQuery, or 0; the press is used up.
    std::uint16_t query(Key key);

  private:
    struct Bits {
        bool down = false;
        bool pressed = false;
        bool seenByTick = false; // a tick has passed since the press
    };
    Bits& bits(Key key) { return m_keys[std::size_t(key)]; }
    std::array<Bits, kKeyCount> m_keys{};
};

} // namespace Game
