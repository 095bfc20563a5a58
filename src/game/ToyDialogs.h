#pragma once

#include "game/GameDialogs.h"

class frmMain;

// The real windows the game opens, owned by the toy window: the options
// dialog and the high-score table stay above it and re-enable it on closing.
class ToyDialogs final : public GameDialogs {
  public:
    explicit ToyDialogs(frmMain& main) : m_main(main) {}

    void openOptions() override;
    void showHighScoreTable() override;
    void checkHighScore(qint16 score) override;
    bool namePromptOpen() const override;

  private:
    frmMain& m_main;
};
