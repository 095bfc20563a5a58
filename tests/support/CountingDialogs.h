#pragma once

#include "game/GameDialogs.h"

#include <QList>
#include <functional>

// Stands in for the windows the game opens: counts them, and can run an
// action as the high-score step.
class CountingDialogs final : public GameDialogs {
  public:
    int optionsOpened = 0;
    int tablesShown = 0;
    QList<qint16> highScoreSteps; // the score each high-score step received
    bool namePrompt = false;
    std::function<void(qint16)> onHighScoreStep;

    void openOptions() override { ++optionsOpened; }
    void showHighScoreTable() override { ++tablesShown; }
    void checkHighScore(qint16 score) override
    {
        highScoreSteps << score;
        if (onHighScoreStep)
            onHighScoreStep(score);
    }
    bool namePromptOpen() const override { return namePrompt; }
    int programLeft = 0;
    void leaveProgram() override { ++programLeft; }
};
