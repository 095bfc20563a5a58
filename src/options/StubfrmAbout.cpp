// Placeholder bodies until the options dialog lands.
#include "options/frmAbout.h"

#include "highscore/ShowHighScoreTable.h"

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {}
frmAbout::~frmAbout() = default;
void frmAbout::Command3_Click() { AppModul::ShowHighScoreTable(); }
void frmAbout::ShowModal(QWidget*) {}
