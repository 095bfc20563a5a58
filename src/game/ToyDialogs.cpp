#include "game/ToyDialogs.h"

#include "game/ToyGame.h"
#include "game/frmMain.h"
#include "highscore/CheckHighScore.h"
#include "highscore/ShowHighScoreTable.h"
#include "options/frmAbout.h"

void ToyDialogs::openOptions()
{
    frmAbout::showModal(&m_main, &m_main.game().Timer1());
}

void ToyDialogs::showHighScoreTable()
{
    AppModul::showHighScoreTable(&m_main);
}

void ToyDialogs::checkHighScore(qint16 score)
{
    AppModul::CheckHighScore(score, &m_main);
}

bool ToyDialogs::namePromptOpen() const
{
    return AppModul::namePromptOpen();
}
