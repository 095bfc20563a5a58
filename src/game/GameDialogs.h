#pragma once

#include <QString>
#include <functional>

// What the player does in the options dialog, told back to the game.
struct OptionsReplies {
    std::function<void()> closed;
    std::function<void()> tableChosen;
    std::function<void(int)> languageChosen;
    std::function<void(int)> answerTimeChosen;
    std::function<void()> leaveChosen;
};

// The windows the game opens and the end of the program. The program opens
// the real dialogs over the toy; tests count the calls. Each returns at once
// and tells its end through what it is given.
class GameDialogs {
  public:
    virtual ~GameDialogs() = default;
    virtual void openOptions(OptionsReplies replies) = 0;
    // Shows the table, or reads the file again into the one that is up (and
    // then `closed` is not kept).
    virtual void showHighScoreTable(std::function<void()> closed) = 0;
    // The name prompt; `entered` gets the name, the empty text on a cancel.
    virtual void askName(std::function<void(const QString&)> entered) = 0;
    // After the farewell: the beat deleted, the lock released, the end.
    virtual void endProgram() = 0;
};
