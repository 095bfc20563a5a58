#include "game/frmMain.h"

#include "game/GameDialogs.h"
#include "game/KeyState.h"
#include "game/PlayZone.h"
#include "game/ToyGame.h"
#include "highscore/HiScoreFile.h"
#include "shape/SharpPicture.h"
#include "shape/Transparent.h"
#include "sound/ResWave.h"
#include "startup/Accessibility.h"
#include "startup/Globals.h"
#include "startup/MouseCodes.h"
#include "startup/ScreenPixels.h"
#include "startup/Settings.h"
#include "startup/StartUp.h"
#include "startup/WindowHelpers.h"
#include "startup/WindowManagerHints.h"
#include "ui_frmMain.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

namespace {

constexpr int kRightButton = 2;

// To a screen reader the toy is a window, and the program carries the game's
// name (the application's own name is the one its files go by).
class ToyAccessible final : public QAccessibleWidget {
  public:
    explicit ToyAccessible(QWidget* toy) : QAccessibleWidget(toy, QAccessible::Window) {}
};
class GameAccessible final : public QAccessibleApplication {
  public:
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name ? Commands::kProductTitle : QAccessibleApplication::text(t);
    }
};

QAccessibleInterface* toyFactory(const QString&, QObject* object)
{
    if (auto* toy = qobject_cast<frmMain*>(object))
        return new ToyAccessible(toy);
    if (object && object == QCoreApplication::instance())
        return new GameAccessible;
    return nullptr;
}
constexpr float kTwips = float(Commands::kTwipsPerPixel);
const QString kPictureFile = QStringLiteral(":/BITMAP/toy.bmp");

} // namespace

frmMain::frmMain(ToyGame& game, ResWave::SoundOutput& sound, GameDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), ui(std::make_unique<Ui::frmMain>()),
      m_game(game), m_sound(sound), m_dialogs(dialogs)
{
    ui->setupUi(this);
    // Set here, not in the layout (which would leave Qt to guess the format):
    // the sharp picture on a high-density screen; the shape follows it.
    ui->Picture->setPixmap(Shape::sharpPicture(kPictureFile, devicePixelRatio()));
    setFixedSize(549, 550);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setTimerType(Qt::PreciseTimer);
    // Until start-up applies the stored setting, the answer time is its default.
    Timer1->setInterval(Commands::kTimerSetting.defaultValue);
    tmrRecord = new QTimer(this);
    tmrRecord->setObjectName(QStringLiteral("tmrRecord"));
    tmrRecord->setInterval(40);
    tsp = ui->tsp;
    // Where the desktop blends windows the toy shows its soft-edged picture.
    connect(tsp, &Transparent::DesktopPicture, ui->Picture, &QLabel::setPixmap);
    PlayButton = {ui->PlayButton0, ui->PlayButton1, ui->PlayButton2, ui->PlayButton3,
                  ui->PlayButton4};
    m_keys = new KeyState(this);
    static const bool accessible = [] {
        QAccessible::installFactory(toyFactory);
        return true;
    }();
    (void)accessible;
    // A screen reader says what the toy is and how it is moved; the window
    // itself has no title to say it. The parts are read in their order.
    for (PlayZone* zone : PlayButton)
        zone->raise();
    setAccessibleName(Commands::kProductTitle);
    setAccessibleDescription(QStringLiteral(
        "Mit der linken oder mittleren Maustaste lässt sich das Spielzeug ziehen; die rechte "
        "Maustaste bricht ein Spiel ab und öffnet die Optionen."));
    Commands::markDecorative(*ui->Picture);
    Commands::markDecorative(*tsp);
    nameParts();

    for (PlayZone* zone : PlayButton)
        connect(zone, &PlayZone::MouseDown, this, &frmMain::PlayButton_MouseDown);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);
    connect(tmrRecord, &QTimer::timeout, this, &frmMain::tmrRecord_Timer);
    connect(m_keys, &KeyState::keyDown, this,
            [this](Game::Key key) { apply(m_game.keyDown(key)); });
    connect(m_keys, &KeyState::keyUp, this, [this](Game::Key key) { apply(m_game.keyUp(key)); });
}

frmMain::~frmMain() = default;

void frmMain::Form_Load()
{
    Commands::CenterForm(*this);
    tsp->setMaskColor(0x484848);
    tsp->setMaskPicture(ui->Picture->pixmap());
    apply(m_game.load());
    show();
    // Queued: Qt first works out the window's new logical size on the new
    // screen, which the toy then sets right.
    connect(windowHandle(), &QWindow::screenChanged, this, &frmMain::fitToScreen,
            Qt::QueuedConnection);
    Commands::SetTopmost(*this);
    tmrRecord->start();
}

frmMain::AppliedSettings frmMain::applySettings(Commands::SettingsAccess& settings)
{
    AppliedSettings applied;
    applied.timer = Commands::applyTimerSetting(settings, *Timer1);
    applied.language = Commands::applyLanguageSetting(settings);
    apply(m_game.applySettings(Timer1->interval(), Commands::Language));
    return applied;
}

void frmMain::fitToScreen()
{
    // On a screen of another scale the window keeps its size and its shape in
    // device pixels, which there cover another logical size: the toy takes the
    // picture drawn for that scale, its logical size back and its shape anew.
    ui->Picture->setPixmap(Shape::sharpPicture(kPictureFile, devicePixelRatio()));
    tsp->setMaskPicture(ui->Picture->pixmap());
    // A toy dragged onto it grew or shrank about its corner: the grabbed
    // spot goes back under the pointer.
    if (Dragging && m_pointerInDevicePixels) {
        const QPointF grabbed = QPointF(DragX, DragY) / kTwips * devicePixelRatio();
        Commands::moveInDevicePixels(*this, *m_pointerInDevicePixels - grabbed.toPoint());
    }
}

void frmMain::PlayButton_MouseDown(int Index, int /*Button*/, int /*Shift*/, float /*X*/,
                                   float /*Y*/)
{
    apply(m_game.PlayButton_MouseDown(Index));
}

void frmMain::Timer1_Timer()
{
    apply(m_game.Timer1_Timer());
}

void frmMain::tmrRecord_Timer()
{
    // A release that Qt dropped for a window a dialog blocks is not left
    // to act on this tick.
    m_keys->syncWithServer();
    apply(m_game.tmrRecord_Timer());
}

void frmMain::apply(Game::Effects effects)
{
    m_pending.insert(m_pending.end(), effects.begin(), effects.end());
    if (m_applying)
        return;
    m_applying = true;
    while (!m_pending.empty()) {
        const Game::Effect effect = m_pending.front();
        m_pending.erase(m_pending.begin());
        apply(effect);
    }
    m_applying = false;
    if (m_game.language() != m_namedLanguage)
        nameParts();
}

void frmMain::nameParts()
{
    m_namedLanguage = m_game.language();
    static const char* const kActions[] = {"Tippen", "Rollen", "Drehen", "Ziehen", "Klopfen"};
    static const char* const kParts[] = {"Schnipphebel", "Drehrad", "Drehknopf", "Zuggriff",
                                         "großer Knopf"};
    static const char* const kMenu[] = {"Sprach- oder Klangmodus", "Optionen", "High Score",
                                        "Modus ansagen", "Spiel starten"};
    const auto& letters = Game::letterKeys(m_namedLanguage);
    for (int zone = 0; zone < Game::kZoneCount; ++zone) {
        QString name =
            QStringLiteral("%1: %2, Taste %3")
                .arg(QString::fromUtf8(kActions[zone]), QString::fromUtf8(kParts[zone]),
                     QKeySequence(KeyState::qtKey(letters[std::size_t(zone)])).toString());
        if (zone == Game::kCentreZone)
            name += QStringLiteral(" oder Leertaste");
        PlayButton[std::size_t(zone)]->setAccessibleName(name);
        PlayButton[std::size_t(zone)]->setAccessibleDescription(
            QStringLiteral("Ohne laufendes Spiel: %1").arg(QString::fromUtf8(kMenu[zone])));
    }
}

void frmMain::apply(const Game::Effect& effect)
{
    using Kind = Game::Effect::Kind;
    const std::weak_ptr<int> alive = m_alive;
    switch (effect.kind) {
    case Kind::Play:
        ResWave::PlayWaveResource(m_sound, QString::fromLatin1(effect.sound), [this, alive] {
            if (alive.lock())
                apply(m_game.soundEnded());
        });
        return;
    case Kind::StartRhythm:
        ResWave::PlayWaveFile(m_sound, Commands::TempDir + Commands::kRhythmFileName);
        return;
    case Kind::StartTimer1:
        Timer1->start(effect.interval);
        return;
    case Kind::StopTimer1:
        Timer1->stop();
        return;
    case Kind::RestartPoll:
        // The ticks count from the press, so a held key still repeats every 40 ms.
        if (tmrRecord->isActive())
            tmrRecord->start();
        return;
    case Kind::EndDrag:
        Dragging = false;
        return;
    case Kind::Open:
        open(effect.dialog);
        return;
    case Kind::End:
        m_dialogs.endProgram();
        return;
    }
}

void frmMain::open(Game::Dialog dialog)
{
    // Each reply is handed to the game when it comes, like any other input.
    const std::weak_ptr<int> alive = m_alive;
    const auto reply = [this, alive](auto input) {
        return [this, alive, input](auto... args) {
            if (alive.lock())
                apply((m_game.*input)(args...));
        };
    };
    switch (dialog) {
    case Game::Dialog::Options:
        m_dialogs.openOptions({[this, alive] {
                                   if (alive.lock())
                                       apply(m_game.dialogClosed(Game::Dialog::Options));
                               },
                               reply(&ToyGame::tableChosen), reply(&ToyGame::languageChosen),
                               reply(&ToyGame::answerTimeChosen), reply(&ToyGame::leaveChosen)});
        return;
    case Game::Dialog::Table:
        m_dialogs.showHighScoreTable([this, alive] {
            if (alive.lock())
                apply(m_game.dialogClosed(Game::Dialog::Table));
        });
        return;
    case Game::Dialog::NamePrompt:
        m_dialogs.askName([this, alive](const QString& name) {
            if (alive.lock())
                apply(m_game.nameEntered(AppModul::fitName(name).toStdString()));
        });
        return;
    }
}

void frmMain::Form_MouseDown(int Button, int /*Shift*/, float X, float Y)
{
    if (Button == kRightButton) {
        // The break-off ends the drag through the game's effects.
        apply(m_game.Form_MouseDown(Button));
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
    // Where the event came in the server's pixels, the move goes in them too,
    // with the grabbed spot at the scale of the screen the toy is on.
    if (m_standsInDevicePixels) {
        const QPointF by = QPointF(X - DragX, Y - DragY) / kTwips * devicePixelRatio();
        if (Commands::moveInDevicePixels(*this, *m_standsInDevicePixels + by.toPoint()))
            return;
    }
    const float left = float(pos().x()) * kTwips + X - DragX;
    const float top = float(pos().y()) * kTwips + Y - DragY;
    move(qRound(left / kTwips), qRound(top / kTwips));
}

void frmMain::Form_MouseUp(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/)
{
    Dragging = false;
    m_pointerInDevicePixels.reset();
}

QPointF frmMain::pointerTwips(const QMouseEvent& event)
{
    // From the event's screen position and where the window now stands, not
    // from the event's window position: that was taken before moves still
    // under way and would let the grabbed point drift away from the pointer.
    // With screens of different scales both are taken in the server's
    // pixels, which join up across them as logical ones do not, and the
    // offset is given in the toy's own pixels, so the same spot of the toy
    // stays under the pointer on a screen of either scale.
    m_standsInDevicePixels.reset();
    if (!Commands::screensOfOneScale()) {
        if (const auto window = Commands::windowInDevicePixels(*this)) {
            m_standsInDevicePixels = *window;
            m_pointerInDevicePixels = Commands::toDevicePixels(event.globalPosition());
            return QPointF(*m_pointerInDevicePixels - *window) / devicePixelRatio() * kTwips;
        }
    }
    return (event.globalPosition() - QPointF(pos())) * kTwips;
}

bool frmMain::startWindowManagerMove(const QMouseEvent& event)
{
    // Where the window manager can move the toy, it does: under XWayland and
    // Wayland a window cannot place itself. It then holds the pointer until
    // the release, so the drag is its own and ours is over. Across screens of
    // different scales it would keep the pointer's offset in the server's
    // pixels, another spot of the toy on the denser screen, or none: there
    // the toy drags itself.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return windowHandle() && windowHandle()->startSystemMove();
    if (!Commands::screensOfOneScale() && !Commands::onXWayland(*this))
        return false;
    // From where the press came, not where Qt last saw the pointer: that may
    // be a motion read while the press waited its turn.
    return Commands::Hints::startMove(winId(), Commands::toDevicePixels(event.globalPosition()));
}

void frmMain::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = pointerTwips(*event);
    Form_MouseDown(Commands::buttonCode(event->button()), Commands::shiftCode(event->modifiers()),
                   float(at.x()), float(at.y()));
    // Window managers end such a move on the left button's release only, so
    // the middle button keeps our own drag.
    if (Dragging && event->button() == Qt::LeftButton && startWindowManagerMove(*event))
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
    apply(m_game.closeRequested());
}

void frmMain::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = pointerTwips(*event);
    Form_MouseUp(Commands::buttonCode(event->button()), Commands::shiftCode(event->modifiers()),
                 float(at.x()), float(at.y()));
    event->accept();
}
