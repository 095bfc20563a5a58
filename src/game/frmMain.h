#pragma once

#include "game/Rnd.h"

#include <QWidget>
#include <array>
#include <memory>

class GameDialogs;
class KeyState;
class QTimer;
class PlayZone;
class ToyGame;
class Transparent;
namespace ResWave {
class SoundOutput;
}
namespace Ui {
class frmMain;
}

// The toy: the main window with its five zones, its keyboard poll and its
// drag. The game itself is a ToyGame that the window forwards to.
class frmMain : public QWidget {
    Q_OBJECT

  public:
    // The game plays through `sound` and draws from `random`; without
    // `dialogs` it opens the real options dialog and high-score windows.
    frmMain(ResWave::SoundOutput& sound, Game::RandomSource random, GameDialogs* dialogs = nullptr,
            QWidget* parent = nullptr);
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

    ToyGame& game() { return *m_game; }
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
    void pollZoneKey(Qt::Key key, int zone, bool act);
    void pollOnPress();
    // Pointer position in twips relative to where the window now stands.
    QPointF pointerTwips(const QMouseEvent& event) const;

    std::unique_ptr<Ui::frmMain> ui;
    std::unique_ptr<GameDialogs> m_ownDialogs;
    GameDialogs* m_dialogs = nullptr;
    std::unique_ptr<ToyGame> m_game;
    KeyState* m_keys = nullptr;
    bool Dragging = false;
    float DragX = 0;
    float DragY = 0;
};
