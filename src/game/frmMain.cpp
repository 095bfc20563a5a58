#include "game/frmMain.h"

#include "game/GameTables.h"
#include "game/KeyState.h"
#include "game/PlayZone.h"
#include "game/Rnd.h"
#include "highscore/CheckHighScore.h"
#include "options/frmAbout.h"
#include "shape/SharpPicture.h"
#include "shape/Transparent.h"
#include "sound/ResWave.h"
#include "startup/Globals.h"
#include "startup/WindowHelpers.h"
#include "ui_frmMain.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTimer>
#include <limits>

namespace {

frmMain* g_current = nullptr;

constexpr int kRightButton = 2;
constexpr float kTwips = float(Commands::kTwipsPerPixel);

// Skip-and-continue: a step that fails is passed over and the next one runs.
template <typename Step> void skipOnError(Step&& step)
{
    try {
        step();
    } catch (...) {
    }
}

void play(const QString& name)
{
    ResWave::PlayWaveResource(name);
}

void play(const char* name)
{
    play(QString::fromLatin1(name));
}

void letEventsRun()
{
    QCoreApplication::processEvents();
}

} // namespace

frmMain::frmMain(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(std::make_unique<Ui::frmMain>())
{
    ui->setupUi(this);
    // The sharp picture on a high-density screen; the shape follows it.
    ui->Picture->setPixmap(
        Shape::sharpPicture(QStringLiteral(":/BITMAP/toy.bmp"), devicePixelRatio()));
    setFixedSize(549, 550);
    tmrRecord = new QTimer(this);
    tmrRecord->setInterval(40);
    Timer1 = new QTimer(this);
    Timer1->setInterval(800);
    Timer1->setTimerType(Qt::PreciseTimer);
    tsp = ui->tsp;
    PlayButton = {ui->PlayButton0, ui->PlayButton1, ui->PlayButton2, ui->PlayButton3,
                  ui->PlayButton4};
    m_keys = new KeyState(this);

    for (PlayZone* zone : PlayButton)
        connect(zone, &PlayZone::MouseDown, this, &frmMain::PlayButton_MouseDown);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    // Queued, so the poll keeps ticking while one of its own actions waits in
    // a modal window (options, table, name prompt): a timer does not fire
    // again while its own handler is still running.
    connect(tmrRecord, &QTimer::timeout, this, &frmMain::tmrRecord_Timer, Qt::QueuedConnection);

    collaborators.openOptionsDialog = [](QWidget* owner) { frmAbout::ShowModal(owner); };
    collaborators.showHighScoreTable = [] { frmAbout::Command3_Click(); };
    collaborators.checkHighScore = [](const qint16& score) { AppModul::CheckHighScore(score); };
    collaborators.namePromptOpen = [] { return AppModul::NamePromptOpen(); };

    g_current = this;
}

frmMain::~frmMain()
{
    if (g_current == this)
        g_current = nullptr;
}

frmMain* frmMain::current()
{
    return g_current;
}

void frmMain::Form_Load()
{
    skipOnError([&] { Commands::CenterForm(*this); });
    skipOnError([&] { tsp->setMaskColor(0x484848); });
    skipOnError([&] { tsp->setMaskPicture(ui->Picture->pixmap()); });
    skipOnError([&] { GameIdle = true; });
    skipOnError([&] { show(); });
    skipOnError([&] { Commands::SetTopmost(*this); });
    skipOnError([&] { tmrRecord->start(); });
}

void frmMain::enableTimer1()
{
    // A window timer with interval 0 does not run; a QTimer would fire
    // continuously.
    if (Timer1->interval() > 0)
        Timer1->start();
}

void frmMain::PlayButton_MouseDown(int Index, int /*Button*/, int /*Shift*/, float /*X*/,
                                   float /*Y*/)
{
    if (GameOverBusy == 1)
        return;
    if (GameIdle) {
        switch (Index) {
        case 0:
            if (SoundMode == 0) {
                skipOnError([] { play(Game::kSoundModeSound); });
                SoundMode = 1;
            } else {
                skipOnError([] { play(Game::kVoiceModeSound); });
                SoundMode = 0;
            }
            return;
        case 2:
            Timer1->stop();
            skipOnError([&] { collaborators.showHighScoreTable(); });
            return;
        case 1:
            Timer1->stop();
            skipOnError([&] { collaborators.openOptionsDialog(this); });
            return;
        case 4:
            startGame();
            return;
        case 3:
            skipOnError(
                [&] { play(SoundMode == 1 ? Game::kSoundModeSound : Game::kVoiceModeSound); });
            skipOnError([] { play(Game::kSoloSound); });
            return;
        default:
            return;
        }
    }
    if (AnswerLocked)
        return;
    judge(Index);
}

void frmMain::startGame()
{
    AnswerLocked = true;
    skipOnError([] { play(Game::kStartSound); });
    const quint32 breakOffs = m_breakOffs;
    NextCommand();
    // Broken off while the first command was given: the game is over already.
    if (m_breakOffs == breakOffs)
        GameIdle = false;
}

void frmMain::NextCommand()
{
    // A break-off (Escape, right button) handled while events run ends the
    // game there; going on would restart the time-out and end the game the
    // player left with an error and the high-score step.
    const quint32 breakOffs = m_breakOffs;
    letEventsRun();
    if (m_breakOffs != breakOffs)
        return;
    const int c = Game::drawOneTo(Game::kZoneCount);
    CurrentCommand = qint16(c);
    skipOnError([&] { play(Game::commandSound(c, SoundMode, Commands::Language)); });
    skipOnError([] { ResWave::PlayWaveFile(Commands::TempDir + Commands::kRhythmFileName); });
    letEventsRun();
    if (m_breakOffs != breakOffs)
        return;
    AnswerLocked = false;
    // Timer1 is stopped here, so the whole interval counts from the rhythm's start.
    enableTimer1();
}

void frmMain::judge(int index)
{
    Timer1->stop();
    AnswerLocked = true;
    if (index + 1 != CurrentCommand) {
        gameOver(Game::GameEnd::WrongZone);
        return;
    }
    // The score stops at its ceiling instead of wrapping to a negative count.
    if (Commands::Score < std::numeric_limits<qint16>::max())
        ++Commands::Score;
    skipOnError([&] { play(Game::answerSound(index)); });
    skipOnError([] { play(Game::kNextSound); });
    NextCommand();
}

void frmMain::Timer1_Timer()
{
    if (Timer1->interval() <= 0) {
        // The interval was set to 0 while running: such a timer is off.
        Timer1->stop();
        return;
    }
    if (AnswerLocked)
        return;
    Timer1->stop();
    gameOver(Game::GameEnd::TimeOut);
}

void frmMain::gameOver(Game::GameEnd cause)
{
    GameOverBusy = 1;
    skipOnError([] { play(Game::kErrorSound); });
    letEventsRun();
    skipOnError([] { play(Game::kEndBeatSound); });
    letEventsRun();
    const int n = int(Game::remarks(cause).german.size());
    const int k = Game::drawOneTo(n);
    skipOnError([&] { play(Game::remarkSound(cause, k, Commands::Language)); });
    GameIdle = true;
    GameOverBusy = 0;
    skipOnError([&] { collaborators.checkHighScore(Commands::Score); });
    Commands::Score = 0;
}

void frmMain::BreakOff()
{
    ++m_breakOffs;
    Dragging = false;
    Timer1->stop();
    GameIdle = true;
    skipOnError([&] { collaborators.openOptionsDialog(this); });
}

void frmMain::pollZoneKey(Qt::Key key, int zone, bool act)
{
    if (m_keys->GetAsyncKeyState(key) != 0 && act)
        skipOnError([&] { PlayButton_MouseDown(zone, 0, 0, 0, 0); });
}

void frmMain::tmrRecord_Timer()
{
    // While the high-score step asks for a name, the letters typed there are
    // read and dropped: acting on them would start a game inside the prompt
    // whose own game over clobbers the entry being made.
    bool act = true;
    skipOnError([&] { act = !collaborators.namePromptOpen(); });

    const auto& letters = Game::letterKeys(Commands::Language);
    for (int zone = 0; zone < Game::kZoneCount; ++zone)
        pollZoneKey(letters[std::size_t(zone)], zone, act);
    pollZoneKey(Game::kCentreKey, Game::kCentreZone, act);

    if (m_keys->GetAsyncKeyState(Game::kTableKey) != 0 && act) {
        Timer1->stop();
        skipOnError([&] { collaborators.showHighScoreTable(); });
    }
    if (m_keys->GetAsyncKeyState(Game::kBreakOffKey) != 0 && act)
        skipOnError([&] { BreakOff(); });
}

void frmMain::Form_MouseDown(int Button, int /*Shift*/, float X, float Y)
{
    if (Button == kRightButton) {
        BreakOff();
        return;
    }
    Dragging = true;
    DragX = X;
    DragY = Y;
}

void frmMain::Form_MouseMove(int /*Button*/, int /*Shift*/, float X, float Y)
{
    if (!Dragging)
        return;
    const float left = float(x()) * kTwips + X - DragX;
    const float top = float(y()) * kTwips + Y - DragY;
    move(qRound(left / kTwips), qRound(top / kTwips));
    // Repaint at once; input waits for the next turn so moves don't nest.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmMain::Form_MouseUp(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/)
{
    Dragging = false;
}

QPointF frmMain::pointerTwips(const QMouseEvent& event) const
{
    // From the pointer's screen position and where the window now stands, not
    // from the event's own window position: that was taken before moves still
    // under way and would let the grabbed point drift away from the pointer.
    return (event.globalPosition() - QPointF(pos())) * kTwips;
}

void frmMain::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = pointerTwips(*event);
    Form_MouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()),
                   float(at.y()));
    event->accept();
}

void frmMain::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = pointerTwips(*event);
    Form_MouseMove(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()),
                   float(at.y()));
    event->accept();
}

void frmMain::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = pointerTwips(*event);
    Form_MouseUp(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()),
                 float(at.y()));
    event->accept();
}
