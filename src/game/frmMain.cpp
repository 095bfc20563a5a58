#include "game/frmMain.h"

#include "game/GameTables.h"
#include "game/KeyState.h"
#include "game/PlayZone.h"
#include "game/ToyGame.h"
#include "options/frmAbout.h"
#include "shape/SharpPicture.h"
#include "shape/Transparent.h"
#include "startup/Globals.h"
#include "startup/MouseCodes.h"
#include "startup/ScreenPixels.h"
#include "startup/WindowHelpers.h"
#include "ui_frmMain.h"

#include <QCloseEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

namespace {

constexpr int kRightButton = 2;
constexpr float kTwips = float(Commands::kTwipsPerPixel);
const QString kPictureFile = QStringLiteral(":/BITMAP/toy.bmp");

} // namespace

frmMain::frmMain(ToyGame& game, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(std::make_unique<Ui::frmMain>()),
      m_game(game)
{
    ui->setupUi(this);
    // Set here, not in the layout (which would leave Qt to guess the format):
    // the sharp picture on a high-density screen; the shape follows it.
    ui->Picture->setPixmap(Shape::sharpPicture(kPictureFile, devicePixelRatio()));
    setFixedSize(549, 550);
    Timer1 = &m_game.Timer1();
    tmrRecord = new QTimer(this);
    tmrRecord->setInterval(40);
    tsp = ui->tsp;
    // Where the desktop blends windows the toy shows its soft-edged picture.
    connect(tsp, &Transparent::DesktopPicture, ui->Picture, &QLabel::setPixmap);
    PlayButton = {ui->PlayButton0, ui->PlayButton1, ui->PlayButton2, ui->PlayButton3,
                  ui->PlayButton4};
    m_keys = new KeyState(this);

    for (PlayZone* zone : PlayButton)
        connect(zone, &PlayZone::MouseDown, this, &frmMain::PlayButton_MouseDown);
    connect(tmrRecord, &QTimer::timeout, this, &frmMain::tmrRecord_Timer);
    // A press is acted on at once rather than at the next tick; the ticks then
    // count from the press, so a held key still repeats every 40 ms.
    connect(m_keys, &KeyState::keyWentDown, this, &frmMain::pollOnPress, Qt::QueuedConnection);
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    Commands::CenterForm(*this);
    tsp->setMaskColor(0x484848);
    tsp->setMaskPicture(ui->Picture->pixmap());
    m_game.load();
    show();
    // Queued: Qt first works out the window's new logical size on the new
    // screen, which the toy then sets right.
    connect(windowHandle(), &QWindow::screenChanged, this, &frmMain::fitToScreen,
            Qt::QueuedConnection);
    Commands::SetTopmost(*this);
    tmrRecord->start();
}

void frmMain::fitToScreen()
{
    // On a screen of another scale the window keeps its size and its shape in
    // device pixels, which there cover another logical size: the toy takes the
    // picture drawn for that scale, its logical size back and its shape anew.
    ui->Picture->setPixmap(Shape::sharpPicture(kPictureFile, devicePixelRatio()));
    tsp->setMaskPicture(ui->Picture->pixmap());
}

void frmMain::PlayButton_MouseDown(int Index, int /*Button*/, int /*Shift*/, float /*X*/,
                                   float /*Y*/)
{
    m_game.PlayButton_MouseDown(Index);
}

void frmMain::Timer1_Timer()
{
    m_game.Timer1_Timer();
}

void frmMain::breakOff()
{
    m_game.steps().deliver([this] {
        Dragging = false;
        m_game.breakOff();
    });
}

void frmMain::pollOnPress()
{
    // Before the window is loaded the keys are not polled at all.
    if (!tmrRecord->isActive())
        return;
    tmrRecord->start();
    tmrRecord_Timer();
}

void frmMain::tmrRecord_Timer()
{
    // While a sound of the game plays the tick waits, like a timer message
    // behind a busy handler: a held key acts once after the sound, not once
    // for every tick it lasted.
    m_game.steps().deliver([this] { pollKeys(); }, Game::StepQueue::Source::KeyPoll);
}

void frmMain::pollKeys()
{
    m_keys->syncWithServer();
    const auto& letters = Game::letterKeys(Commands::Language);
    for (int zone = 0; zone < Game::kZoneCount; ++zone)
        pollKey(letters[std::size_t(zone)],
                [this, zone] { PlayButton_MouseDown(zone, 0, 0, 0, 0); });
    pollKey(Game::kCentreKey, [this] { PlayButton_MouseDown(Game::kCentreZone, 0, 0, 0, 0); });
    pollKey(Game::kTableKey, [this] { m_game.showTable(); });
    pollKey(Game::kBreakOffKey, [this] { breakOff(); });
}

void frmMain::pollKey(Qt::Key key, std::function<void()> action)
{
    m_game.steps().run([this, key, action = std::move(action)] {
        // While the high-score step asks for a name, the letters typed there
        // are read and dropped: acting on them would start a game inside the
        // prompt whose own game over clobbers the entry being made.
        if (m_keys->GetAsyncKeyState(key) != 0 && !m_game.namePromptOpen())
            action();
    });
}

void frmMain::Form_MouseDown(int Button, int /*Shift*/, float X, float Y)
{
    if (Button == kRightButton) {
        breakOff();
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
    // Where the event came in the server's pixels, the move goes in them too.
    const QPoint standsAt = m_standsInDevicePixels.value_or(pos());
    const float left = float(standsAt.x()) * kTwips + X - DragX;
    const float top = float(standsAt.y()) * kTwips + Y - DragY;
    const QPoint to(qRound(left / kTwips), qRound(top / kTwips));
    if (!m_standsInDevicePixels || !Commands::moveInDevicePixels(*this, to))
        move(to);
}

void frmMain::Form_MouseUp(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/)
{
    Dragging = false;
}

QPointF frmMain::pointerTwips(const QMouseEvent& event)
{
    // From the pointer's screen position and where the window now stands, not
    // from the event's own window position: that was taken before moves still
    // under way and would let the grabbed point drift away from the pointer.
    // With screens of different scales, in the server's pixels, which join up
    // across them as logical ones do not.
    m_standsInDevicePixels.reset();
    if (!Commands::screensOfOneScale()) {
        if (const auto server = Commands::pointerAndWindowInDevicePixels(*this)) {
            m_standsInDevicePixels = server->second;
            return QPointF(server->first - server->second) * kTwips;
        }
    }
    return (event.globalPosition() - QPointF(pos())) * kTwips;
}

void frmMain::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = pointerTwips(*event);
    Form_MouseDown(Commands::buttonCode(event->button()), Commands::shiftCode(event->modifiers()),
                   float(at.x()), float(at.y()));
    // Where the window manager can move the toy, it does: it keeps the grabbed
    // point under the pointer across screens of any scale, and under XWayland
    // and Wayland, where a window cannot place itself. It then holds the
    // pointer until the release, so the drag is its own and ours is over.
    // Window managers end such a move on the left button's release only, so
    // the middle button keeps our own drag.
    if (Dragging && event->button() == Qt::LeftButton && windowHandle() &&
        windowHandle()->startSystemMove())
        Dragging = false;
    event->accept();
}

void frmMain::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = pointerTwips(*event);
    Form_MouseMove(Commands::buttonCode(event->button()), Commands::shiftCode(event->modifiers()),
                   float(at.x()), float(at.y()));
    m_standsInDevicePixels.reset();
    event->accept();
}

// Alt+F4 or the window manager's close ends the game the way "Programm
// beenden" does, so no beat file or lock is left behind; the toy stays until
// the farewell has been heard.
void frmMain::closeEvent(QCloseEvent* event)
{
    event->ignore();
    m_game.leaveProgram();
}

void frmMain::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = pointerTwips(*event);
    Form_MouseUp(Commands::buttonCode(event->button()), Commands::shiftCode(event->modifiers()),
                 float(at.x()), float(at.y()));
    event->accept();
}
