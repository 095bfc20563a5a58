#include "options/frmAbout.h"

#include "highscore/HighScoreTable.h"
#include "options/TimerSetting.h"
#include "shape/SharpPicture.h"
#include "sound/ResWave.h"
#include "sound/SoundNames.h"
#include "startup/Globals.h"
#include "startup/Settings.h"
#include "startup/WindowHelpers.h"
#include "ui_frmAbout.h"

#include <QFile>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTimer>
#include <optional>
#include <utility>

frmAbout::frmAbout(QWidget* owner, QTimer* answerTimer, OptionsContext context, QWidget* mainWindow)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::frmAbout>()), m_answerTimer(answerTimer),
      m_context(std::move(context)), m_mainWindow(mainWindow ? mainWindow : owner)
{
    ui->setupUi(this);
    // An empty title would be filled in with the program's name; a blank
    // one shows as the empty caption the dialog has.
    setWindowTitle(QStringLiteral(" "));
    ui->Picture->setPixmap(
        Shape::sharpPicture(QStringLiteral(":/BITMAP/title.bmp"), devicePixelRatio()));
    Command1 = ui->Command1;
    Command2 = ui->Command2;
    Command3 = ui->Command3;
    optLang = {ui->optLang0, ui->optLang1};
    HScroll1 = ui->HScroll1;
    Label3 = ui->Label3;

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    // With tracking off, sliderMoved reports the drag and valueChanged only the
    // completed change (release, arrow, track, key, or code).
    connect(HScroll1, &QScrollBar::sliderMoved, this, [this] { HScroll1_Scroll(); });
    connect(HScroll1, &QScrollBar::valueChanged, this, [this] { HScroll1_Change(); });
    HScroll1->installEventFilter(this);
    for (int index = 0; index < int(optLang.size()); ++index) {
        connect(optLang[index], &QRadioButton::toggled, this, [this, index](bool on) {
            if (on)
                optLang_Click(index);
        });
    }

    Command1->setFocus();
    Commands::keepOpenOnEscape(*this);
    Commands::keepOffTaskbar(*this);
}

frmAbout::~frmAbout() = default;

void frmAbout::Command3_Click()
{
    if (m_context.showTable)
        m_context.showTable();
    else
        m_context.table.show(m_mainWindow);
}

void frmAbout::Command1_Click()
{
    // Nothing more is done here while the farewell is heard.
    setEnabled(false);
    if (m_context.leave)
        m_context.leave();
    else
        leaveProgram(m_context);
}

void frmAbout::leaveProgram(const OptionsContext& context)
{
    const char* farewell =
        Commands::Language == 0 ? Sounds::kFarewellGerman : Sounds::kFarewellEnglish;
    ResWave::PlayWaveResource(context.sound, QString::fromLatin1(farewell),
                              [context] { endProgram(context); });
}

void frmAbout::endProgram(const OptionsContext& context)
{
    // Without a temp folder the name alone would hit a file in the working folder.
    if (!Commands::TempDir.isEmpty())
        QFile::remove(Commands::TempDir + Commands::kRhythmFileName);
    context.endProgram();
}

void frmAbout::Command2_Click()
{
    auto& settings = m_context.settings;
    settings.write(Commands::kTimerSetting, QString::number(HScroll1->value()));
    settings.write(Commands::kLanguageSetting,
                   optLang[0]->isChecked() ? QStringLiteral("0") : QStringLiteral("1"));
    close();
}

void frmAbout::Form_Load()
{
    Commands::CenterForm(*this);
    Commands::SetTopmost(*this);

    auto& settings = m_context.settings;
    const auto timer = Options::storedSensitivity(settings.read(Commands::kTimerSetting));
    if (timer.inRange) {
        HScroll1->setValue(timer.barValue); // runs HScroll1_Change only if it moves
    } else {
        // The bar shows the nearest value it can take; the running timer keeps
        // the stored one until the player moves the bar or saves.
        const QSignalBlocker quiet(HScroll1);
        HScroll1->setValue(timer.barValue);
        HScroll1_Scroll();
    }

    const bool english = settings.read(Commands::kLanguageSetting) == QLatin1String("1");
    optLang[english ? 1 : 0]->setChecked(true);
}

void frmAbout::Form_Unload()
{
    if (m_mainWindow)
        m_mainWindow->setEnabled(true);
}

void frmAbout::HScroll1_Change()
{
    showSensitivity(HScroll1->value());
    if (m_answerTimer)
        m_answerTimer->setInterval(HScroll1->value());
    if (m_context.answerTimeChosen)
        m_context.answerTimeChosen(HScroll1->value());
}

void frmAbout::HScroll1_Scroll()
{
    showSensitivity(HScroll1->sliderPosition());
}

void frmAbout::optLang_Click(int Index)
{
    Commands::Language = qint16(Index);
    if (m_context.languageChosen)
        m_context.languageChosen(Index);
}

void frmAbout::showSensitivity(int milliseconds)
{
    Label3->setText(QStringLiteral("Timer-Empfindlichkeit: %1 ms").arg(milliseconds));
}

void frmAbout::done(int result)
{
    QDialog::done(result);
    // Every way out (button, close box) unloads the dialog once.
    if (!m_unloaded) {
        m_unloaded = true;
        Form_Unload();
    }
}

namespace {

// What a key does to the sensitivity bar: Right and Down raise the value,
// Left and Up lower it, like the bar's own arrows.
std::optional<QAbstractSlider::SliderAction> barAction(int key)
{
    using A = QAbstractSlider::SliderAction;
    static constexpr std::pair<int, A> kKeys[] = {
        {Qt::Key_Left, A::SliderSingleStepSub},  {Qt::Key_Up, A::SliderSingleStepSub},
        {Qt::Key_Right, A::SliderSingleStepAdd}, {Qt::Key_Down, A::SliderSingleStepAdd},
        {Qt::Key_PageUp, A::SliderPageStepSub},  {Qt::Key_PageDown, A::SliderPageStepAdd},
        {Qt::Key_Home, A::SliderToMinimum},      {Qt::Key_End, A::SliderToMaximum},
    };
    for (const auto& [k, action] : kKeys) {
        if (k == key)
            return action;
    }
    return std::nullopt;
}

} // namespace

bool frmAbout::eventFilter(QObject* watched, QEvent* event)
{
    // Qt's scroll bar turns the arrow keys round; here Right and Down raise
    // the value and Left and Up lower it, like the bar's own arrows.
    if (watched == HScroll1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const std::optional<QAbstractSlider::SliderAction> action = barAction(key->key());
        if (action && key->modifiers() == Qt::NoModifier) {
            HScroll1->triggerAction(*action);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmAbout::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // No button is the default either: Enter presses the focused one.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            event->accept();
            button->click();
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}
