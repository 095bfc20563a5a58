#pragma once

#include "game/GameDialogs.h"
#include "options/frmAbout.h"

#include <QPointer>

class QTimer;
class QWidget;
namespace AppModul {
class HighScoreStep;
class HighScoreTable;
} // namespace AppModul

// The real windows the game opens, owned by the toy window: the options
// dialog and the high-score table stay above it and re-enable it on closing.
// Each opens and returns at once; none runs an event loop of its own.
class ToyDialogs final : public GameDialogs {
  public:
    ToyDialogs(OptionsContext options, AppModul::HighScoreTable& table,
               AppModul::HighScoreStep& highScoreStep);

    // The toy and its answer timer, once they are built.
    void placeOver(QWidget& toy, QTimer& answerTimer);

    void openOptions() override;
    void showHighScoreTable() override;
    void checkHighScore(qint16 score) override;
    bool namePromptOpen() const override;
    void leaveProgram() override;

  private:
    OptionsContext m_optionsContext;
    AppModul::HighScoreTable& m_table;
    AppModul::HighScoreStep& m_highScoreStep;
    QWidget* m_toy = nullptr;
    QTimer* m_answerTimer = nullptr;
    QPointer<frmAbout> m_options;
};
