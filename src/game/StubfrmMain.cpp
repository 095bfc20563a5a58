// Placeholder bodies until the game lands.
#include "game/frmMain.h"

#include "game/PlayZone.h"
#include "shape/Transparent.h"
#include "ui_frmMain.h"

#include <QTimer>

namespace {
frmMain* g_current = nullptr;
}

frmMain::frmMain(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    tmrRecord = new QTimer(this);
    tmrRecord->setInterval(40);
    Timer1 = new QTimer(this);
    Timer1->setInterval(800);
    Timer1->setTimerType(Qt::PreciseTimer);
    tsp = ui->tsp;
    PlayButton = {ui->PlayButton0, ui->PlayButton1, ui->PlayButton2, ui->PlayButton3,
                  ui->PlayButton4};
    g_current = this;
}

frmMain::~frmMain()
{
    if (g_current == this)
        g_current = nullptr;
}

frmMain* frmMain::current() { return g_current; }

void frmMain::Form_Load() { show(); }
