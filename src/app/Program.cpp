#include "app/Program.h"

#include "game/ToyGame.h"
#include "game/frmMain.h"
#include "sound/SoundNames.h"
#include "startup/SingleInstance.h"

Program::Program(Services services)
    : m_services(std::move(services)),
      m_dialogs({m_services.sound, m_services.settings, m_table, m_services.endProgram}, m_table,
                m_namePrompt)
{
}

// The toy goes before the game it forwards to.
Program::~Program()
{
    m_window.reset();
    m_game.reset();
}

bool Program::loadMainWindow()
{
    // A later start in the same process (tests) replaces the toy.
    m_window.reset();
    m_game = std::make_unique<ToyGame>(m_services.random, m_tableFile);
    m_window = std::make_unique<frmMain>(*m_game, m_services.sound, m_dialogs);
    m_dialogs.placeOver(*m_window);
    m_window->Form_Load();
    return true;
}

StartReport Program::Main(const QString& programFile)
{
    StartReport report;
    report.onlyCopy = Commands::claimSingleInstance();
    report.steps.emplace_back("SingleInstance", report.onlyCopy);
    if (!report.onlyCopy)
        return report;

    const Commands::StartContext start{programFile, QString::fromLatin1(Sounds::kRhythm)};
    for (const auto& half : {Commands::InitPaths(start), Commands::PrepareFiles(start)})
        report.steps.insert(report.steps.end(), half.begin(), half.end());

    report.steps.emplace_back("MainWindow", loadMainWindow());
    const frmMain::AppliedSettings applied = m_window->applySettings(m_services.settings);
    report.steps.emplace_back("TimerInterval", applied.timer);
    report.steps.emplace_back("Language", applied.language);
    m_window->show();
    report.steps.emplace_back("ShowMainWindow", true);
    report.mainWindow = m_window.get();
    return report;
}
