#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class KeyState;
class QTimer;
class PlayZone;
class ToyGame;
class Transparent;
namespace Ui {
class frmMain;
}

// The toy: the main window with its five zones, its keyboard poll and its
// drag. The game itself is a ToyGame that the window forwards to.
class frmMain : public QWidget {
    Q_OBJECT

  public:
    // The toy around `game`, which it forwards its zone presses, ticks and
    // keys to.
    explicit frmMain(ToyGame& game, QWidget* parent = nullptr);
    ~frmMain() override;

    void Form_Load();

    // Every zone press, from the mouse or the keyboard poll, comes in here.
    // Button, Shift, X and Y are not looked at: any button presses a zone.
    void PlayButton_MouseDown(int Index, int Button, int Shift, float X, float Y);
    void Timer1_Timer();
    void tmrRecord_Timer();

    // X and Y in twips relative to the window; Button 1 left, 2 right, 4 middle.
    void Form_MouseDown(int Button, int Shift, float X, float Y);
    void Form_MouseMove(int Button, int Shift, float X, float Y);
    void Form_MouseUp(int Button, int Shift, float X, float Y);

    // Right button or Escape: the game stops silently and the options open.
    void breakOff();

    ToyGame& game() { return m_game; }
    bool dragging() const { return Dragging; }

    QTimer* tmrRecord = nullptr; // keyboard poll, 40 ms
    QTimer* Timer1 = nullptr;    // answer time-out, the game's
    Transparent* tsp = nullptr;
    std::array<PlayZone*, 5> PlayButton{};

  protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void pollKeys();
    // One key of the poll, tested when the actions of the keys before it have
    // run to their end.
    void pollKey(Qt::Key key, std::function<void()> action);
    void pollOnPress();
    void fitToScreen();
    // Pointer position in twips relative to where the window now stands,
    // which it notes for the move that follows.
    QPointF pointerTwips(const QMouseEvent& event);

    std::unique_ptr<Ui::frmMain> ui;
    ToyGame& m_game;
    KeyState* m_keys = nullptr;
    bool Dragging = false;
    float DragX = 0;
    float DragY = 0;
    // Where the window stood in the server's pixels when the mouse event
    // being handled came in; only kept with screens of different scales.
    std::optional<QPoint> m_standsInDevicePixels;
};
