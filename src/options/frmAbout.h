#pragma once

#include <QDialog>
#include <QPointer>
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
    // Where a game runs, it hears of these and plays the farewell itself;
    // without one the dialog changes the language and plays it alone.
    std::function<void()> showTable;
    std::function<void(int)> languageChosen;
    std::function<void(int)> answerTimeChosen;
    std::function<void()> leave;
};

// The options dialog: language, timer sensitivity, high scores and the way out.
class frmAbout : public QDialog {
    Q_OBJECT

  public:
    // `owner` is the window it is kept above (the toy, or a dialog over it);
    // `mainWindow` the toy, re-enabled on unloading (the owner when not
    // given); `answerTimer`, when given, takes the sensitivity at once.
    frmAbout(QWidget* owner, QTimer* answerTimer, OptionsContext context,
             QWidget* mainWindow = nullptr);
    ~frmAbout() override;

    void Form_Load();

    // The way out without a game: the farewell in the live language, then
    // the end.
    static void leaveProgram(const OptionsContext& context);
    // What follows the farewell: the beat deleted and the program ended.
    static void endProgram(const OptionsContext& context);

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
    QPointer<QWidget> m_mainWindow;
    bool m_unloaded = false;
};
