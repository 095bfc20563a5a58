#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
namespace AppModul {
class HighScoreTable;
}
namespace Commands {
class SettingsAccess;
}
namespace ResWave {
class SoundOutput;
}
namespace Ui {
class frmAbout;
}

// What the options dialog works on besides its owner and the answer timer.
struct OptionsContext {
    ResWave::SoundOutput& sound;        // the farewell
    Commands::SettingsAccess& settings; // read on loading, written by "Zurück"
    AppModul::HighScoreTable& table;    // the "High Score" button
    std::function<void()> endProgram;   // after the farewell of "Programm beenden"
};

// The options dialog: language, timer sensitivity, high scores and the way out.
class frmAbout : public QDialog {
    Q_OBJECT

  public:
    // `owner` is the toy window, kept above and re-enabled on unloading;
    // `answerTimer` is the game's time-out that the sensitivity sets at once.
    frmAbout(QWidget* owner, QTimer* answerTimer, OptionsContext context);
    ~frmAbout() override;

    void Form_Load();

    // The one way out, "Programm beenden"'s and every close of the toy's:
    // the farewell in the live language, then the beat deleted and the end.
    static void leaveProgram(const OptionsContext& context);

    // The one way out, "Programm beenden"'s and every close of the toy's:
    // the farewell, the beat deleted, the lock released, status 0.
    static void leaveProgram();

  protected:
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Command1_Click();
    void Command3_Click();
    void Command2_Click();
    void Form_Unload();
    void HScroll1_Change();
    void HScroll1_Scroll();
    void optLang_Click(int Index);

    void showSensitivity(int milliseconds);

    std::unique_ptr<Ui::frmAbout> ui;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    std::array<QRadioButton*, 2> optLang{};
    QScrollBar* HScroll1 = nullptr;
    QLabel* Label3 = nullptr;
    QTimer* m_answerTimer = nullptr;
    OptionsContext m_context;
    bool m_unloaded = false;
};
