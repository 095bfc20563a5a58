#pragma once

#include "game/GameEffects.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>

class GameDialogs;
namespace Commands {
class SettingsAccess;
}
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

// The toy: the main window with its five zones, its two timers, its
// keyboard and its drag. The game itself is a ToyGame: the window hands it
// every press, tick, key, sound end and dialog reply, and carries out the
// effects it answers with. It keeps no game state of its own.
class frmMain : public QWidget {
    Q_OBJECT

  public:
    // The toy around `game`, playing on `sound` and opening `dialogs`.
    frmMain(ToyGame& game, ResWave::SoundOutput& sound, GameDialogs& dialogs,
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

    // Start-up's two settings, the answer time and the language, for the
    // game; each false when its stored text does not fit.
    struct AppliedSettings {
        bool timer = false;
        bool language = false;
    };
    AppliedSettings applySettings(Commands::SettingsAccess& settings);

  protected:
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QTimer* tmrRecord = nullptr; // keyboard poll, 40 ms
    QTimer* Timer1 = nullptr;    // answer time-out
    Transparent* tsp = nullptr;
    std::array<PlayZone*, 5> PlayButton{};

    // Carries out what the game asked for; what it answers to the replies
    // that come of it is carried out in turn.
    void apply(Game::Effects effects);
    void apply(const Game::Effect& effect);
    void open(Game::Dialog dialog);
    // The parts' names for a screen reader, with their keys in the language.
    void nameParts();
    void fitToScreen();
    // Pointer position in twips relative to where the window now stands,
    // which it notes for the move that follows.
    QPointF pointerTwips(const QMouseEvent& event);
    // True when the window manager took the left button's drag over.
    bool startWindowManagerMove(const QMouseEvent& event);

    std::unique_ptr<Ui::frmMain> ui;
    ToyGame& m_game;
    ResWave::SoundOutput& m_sound;
    GameDialogs& m_dialogs;
    KeyState* m_keys = nullptr;
    // Replies that came while effects were being carried out wait their turn.
    bool m_applying = false;
    Game::Effects m_pending;
    int m_namedLanguage = -1;
    // Replies from a dialog or a sound of a toy that is gone do nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
    bool Dragging = false;
    float DragX = 0;
    float DragY = 0;
    // Where the window stood in the server's pixels when the mouse event
    // being handled came in; only kept with screens of different scales.
    std::optional<QPoint> m_standsInDevicePixels;
    // Where the pointer was at the drag's last event, in the server's pixels;
    // only kept with screens of different scales.
    std::optional<QPoint> m_pointerInDevicePixels;
};
