#pragma once

#include <QtGlobal>

class QWidget;

namespace AppModul {

class HighScoreTable;
class NamePrompt;

// The high-score step at the end of a game: rank the score, ask for a name
// when it gets in, save the table and show it after a new entry.
class HighScoreStep {
  public:
    HighScoreStep(NamePrompt& prompt, HighScoreTable& table) : m_prompt(prompt), m_table(table) {}

    // Returns at once; the name prompt and the table follow over `mainWindow`.
    void CheckHighScore(qint16 score, QWidget* mainWindow);

    // True while the name prompt is open; the keyboard poll acts on no key
    // meanwhile.
    bool namePromptOpen() const { return m_asking; }

  private:
    NamePrompt& m_prompt;
    HighScoreTable& m_table;
    bool m_asking = false;
};

} // namespace AppModul
