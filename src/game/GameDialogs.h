#pragma once

#include <QtGlobal>

// The windows the game opens. The program opens the real dialogs over the
// toy; tests count the calls.
class GameDialogs {
  public:
    virtual ~GameDialogs() = default;
    // The options dialog, modally; it may change the answer time.
    virtual void openOptions() = 0;
    virtual void showHighScoreTable() = 0;
    // The high-score step after a game over: rank, name prompt, table.
    virtual void checkHighScore(qint16 score) = 0;
    // True while the high-score step asks for a name.
    virtual bool namePromptOpen() const = 0;
    // The end of the program, as "Programm beenden" makes it.
    virtual void leaveProgram() = 0;
};
