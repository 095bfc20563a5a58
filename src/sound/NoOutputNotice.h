#pragma once

#include <QString>
#include <atomic>

namespace ResWave {

// The one line the game prints when its first sound finds no output: it shows
// no message anywhere else, and a player who hears nothing should learn what
// was tried and what to check. Said once per output.
class NoOutputNotice {
  public:
    enum class Reason {
        NoServer,         // no sound server answered
        StreamNotStarted, // a server answered, but never started the game's stream
        NoSdlDevice,      // the SDL driver the player chose found no device
    };

    void tell(Reason reason);
    static QString text(Reason reason);

  private:
    std::atomic<bool> m_told{false};
};

} // namespace ResWave
