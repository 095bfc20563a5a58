#pragma once

#include "game/GameDialogs.h"
#include "options/frmAbout.h"

#include <QPointer>

class QWidget;
namespace AppModul {
class HighScoreTable;
class NamePrompt;
} // namespace AppModul

// The real windows the game opens, stacked over the toy as the game holds
// them: each new one is modal over the one below it, so only the top one
// takes the mouse and they close in the order the game expects.
class ToyDialogs final : public GameDialogs {
  public:
    ToyDialogs(OptionsContext options, AppModul::HighScoreTable& table,
               AppModul::NamePrompt& namePrompt);

    // The toy, once it is built.
    void placeOver(QWidget& toy);

    void openOptions(OptionsReplies replies) override;
    void showHighScoreTable(std::function<void()> closed) override;
    void askName(std::function<void(const QString&)> entered) override;
    void endProgram() override;

  private:
    OptionsContext m_optionsContext;
    AppModul::HighScoreTable& m_table;
    AppModul::NamePrompt& m_namePrompt;
    QPointer<QWidget> m_toy;
};
