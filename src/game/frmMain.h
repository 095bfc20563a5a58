#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class KeyState;
class QTimer;
class PlayZone;
class Transparent;
namespace Ui {
class frmMain;
}
namespace Game {
enum class GameEnd;
}

// The toy: the main window with its five zones, its two timers and the game.
class frmMain : public QWidget {
    Q_OBJECT

  public:
    // The windows the game opens, replaceable so the game can be driven
    // without them. Each defaults to the real call.
    struct Collaborators {
        std::function<void(QWidget* parent)> openOptionsDialog;
        std::function<void()> showHighScoreTable;
        std::function<void(const qint16& score)> checkHighScore;
        std::function<bool()> namePromptOpen;
    };

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The one main window of the run, or nullptr before it exists.
    static frmMain* current();

    void Form_Load();

    // Every zone press, from the mouse or the keyboard poll, comes in here.
    // Button, Shift, X and Y are not looked at: any button presses a zone.
    void PlayButton_MouseDown(int Index, int Button, int Shift, float X, float Y);
    void NextCommand();
    void Timer1_Timer();
    void tmrRecord_Timer();

    // X and Y in twips relative to the window; Button 1 left, 2 right, 4 middle.
    void Form_MouseDown(int Button, int Shift, float X, float Y);
    void Form_MouseMove(int Button, int Shift, float X, float Y);
    void Form_MouseUp(int Button, int Shift, float X, float Y);

    // Right button or Escape: the game stops silently and the options open.
    void BreakOff();

    QTimer* tmrRecord = nullptr; // keyboard poll, 40 ms
    QTimer* Timer1 = nullptr;    // answer time-out, 800 ms by design
    Transparent* tsp = nullptr;
    std::array<PlayZone*, 5> PlayButton{};

    // Form-level state; open so tests and the bench can read and set it up.
    bool Dragging = false;
    float DragX = 0;
    float DragY = 0;
    qint16 SoundMode = 0;
    bool GameIdle = false;
    bool AnswerLocked = false;
    qint16 CurrentCommand = 0;
    qint16 GameOverBusy = 0;

    Collaborators collaborators;

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void enableTimer1();
    void startGame();
    void judge(int index);
    void gameOver(Game::GameEnd cause);
    void pollZoneKey(Qt::Key key, int zone, bool act);
    void pollOnPress();
    // Pointer position in twips relative to where the window now stands.
    QPointF pointerTwips(const QMouseEvent& event) const;

    std::unique_ptr<Ui::frmMain> ui;
    KeyState* m_keys = nullptr;
    quint32 m_breakOffs = 0; // counts break-offs, so a command in progress sees one
};
