#include "highscore/frmHiScore.h"

#include "startup/Accessibility.h"
#include "startup/WindowHelpers.h"
#include "ui_frmHiScore.h"

frmHiScore::frmHiScore(QWidget* parent, QWidget* mainWindow)
    : QDialog(parent), ui(std::make_unique<Ui::frmHiScore>()), m_mainWindow(mainWindow)
{
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(size());
    setAttribute(Qt::WA_StyledBackground);
    lblNumber = {ui->lblNumber0, ui->lblNumber1, ui->lblNumber2, ui->lblNumber3, ui->lblNumber4,
                 ui->lblNumber5, ui->lblNumber6, ui->lblNumber7, ui->lblNumber8, ui->lblNumber9};
    lblHScoreName = {ui->lblHScoreName0, ui->lblHScoreName1, ui->lblHScoreName2, ui->lblHScoreName3,
                     ui->lblHScoreName4, ui->lblHScoreName5, ui->lblHScoreName6, ui->lblHScoreName7,
                     ui->lblHScoreName8, ui->lblHScoreName9};
    lblHScore = {ui->lblHScore0, ui->lblHScore1, ui->lblHScore2, ui->lblHScore3, ui->lblHScore4,
                 ui->lblHScore5, ui->lblHScore6, ui->lblHScore7, ui->lblHScore8, ui->lblHScore9};
    // To a screen reader each place is one line, read from the first place
    // down: the rank's label says it all, in that order among the window's
    // children, and the name and points labels are left out.
    setAccessibleName(QStringLiteral("High Score"));
    for (std::size_t i = 0; i < lblNumber.size(); ++i) {
        lblNumber[i]->raise();
        Commands::markDecorative(*lblHScoreName[i]);
        Commands::markDecorative(*lblHScore[i]);
    }
    connect(this, &QDialog::finished, this, &frmHiScore::Form_Unload);
    // The window closes by its close box only.
    Commands::keepOpenOnEscape(*this);
    Commands::keepOffTaskbar(*this);
    Form_Load();
}

frmHiScore::~frmHiScore() = default;

void frmHiScore::Form_Load()
{
    Commands::CenterForm(*this);
    Commands::SetTopmost(*this);
}

void frmHiScore::Form_Unload()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}

void frmHiScore::setRow(int index, const QString& name, qint16 points)
{
    lblHScoreName.at(index)->setText(name);
    lblHScore.at(index)->setText(QString::number(points));
    // A screen reader reads one line per place, without the name's blanks.
    const QString named = name.trimmed();
    lblNumber.at(index)->setAccessibleName(
        QStringLiteral("%1. %2, %3 Punkte")
            .arg(index + 1)
            .arg(named.isEmpty() ? QStringLiteral("ohne Namen") : named)
            .arg(points));
}
