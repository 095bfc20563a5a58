#pragma once

#include <QWidget>

#include <array>
#include <memory>

class QTimer;
class PlayZone;
class Transparent;
namespace Ui {
class frmMain;
}

// The toy: the main window with its five zones, its two timers and the game.
class frmMain : public QWidget {
    Q_OBJECT

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The one main window of the run, or nullptr before it exists.
    static frmMain* current();

    void Form_Load();

    QTimer* tmrRecord = nullptr;  // keyboard poll, 40 ms
    QTimer* Timer1 = nullptr;     // answer time-out, 800 ms by design
    Transparent* tsp = nullptr;
    std::array<PlayZone*, 5> PlayButton{};

private:
    std::unique_ptr<Ui::frmMain> ui;
};
