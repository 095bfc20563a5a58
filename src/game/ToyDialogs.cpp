#include "game/ToyDialogs.h"

#include "highscore/CheckHighScore.h"
#include "highscore/HighScoreTable.h"

ToyDialogs::ToyDialogs(OptionsContext options, AppModul::HighScoreTable& table,
                       AppModul::HighScoreStep& highScoreStep)
    : m_optionsContext(std::move(options)), m_table(table), m_highScoreStep(highScoreStep)
{
}

void ToyDialogs::placeOver(QWidget& toy, QTimer& answerTimer)
{
    m_toy = &toy;
    m_answerTimer = &answerTimer;
}

void ToyDialogs::openOptions()
{
    // One dialog at a time: a second would save its own, older values over
    // what the first one just saved. A held key or a click while it is up
    // asks again; that does nothing.
    if (m_options)
        return;
    // The toy as owner keeps the dialog above it and off the taskbar.
    m_options = new frmAbout(m_toy, m_answerTimer, m_optionsContext);
    m_options->setAttribute(Qt::WA_DeleteOnClose);
    m_options->Form_Load();
    m_options->open();
}

void ToyDialogs::showHighScoreTable()
{
    m_table.show(m_toy);
}

void ToyDialogs::checkHighScore(qint16 score)
{
    m_highScoreStep.CheckHighScore(score, m_toy);
}

bool ToyDialogs::namePromptOpen() const
{
    return m_highScoreStep.namePromptOpen();
}

void ToyDialogs::leaveProgram()
{
    frmAbout::leaveProgram(m_optionsContext);
}
