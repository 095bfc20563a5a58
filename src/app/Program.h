#pragma once

#include "app/Services.h"
#include "game/TableFile.h"
#include "game/ToyDialogs.h"
#include "highscore/HighScoreTable.h"
#include "highscore/NamePrompt.h"
#include "startup/StartUp.h"

#include <QString>
#include <memory>

class ToyGame;
class frmMain;

// What a start did.
struct StartReport {
    // False when another copy runs: nothing else was done and the program
    // must end at once.
    bool onlyCopy = false;
    // The single-instance check ("SingleInstance") first, then every step.
    Commands::StartSteps steps;
    // The toy, shown; it lives as long as the program object.
    frmMain* mainWindow = nullptr;
};

// The whole program, built at the top from its services: the high-score
// table and file, the windows the game opens, the game and the toy.
class Program {
  public:
    explicit Program(Services services);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The start procedure for the program at `programFile`: the single-copy
    // check, the paths and files, then the toy, its two settings and its
    // showing, each step skipped silently when it fails.
    StartReport Main(const QString& programFile);

    frmMain* mainWindow() const { return m_window.get(); }

  private:
    bool loadMainWindow();

    Services m_services;
    AppModul::HighScoreTable m_table;
    AppModul::DialogNamePrompt m_namePrompt;
    TableFile m_tableFile;
    ToyDialogs m_dialogs;
    std::unique_ptr<ToyGame> m_game;
    std::unique_ptr<frmMain> m_window;
};
