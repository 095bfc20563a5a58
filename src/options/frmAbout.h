#pragma once

#include <QDialog>
#include <array>
#include <memory>

class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
namespace Ui {
class frmAbout;
}

// The options dialog: language, timer sensitivity, high scores and the way out.
class frmAbout : public QDialog {
    Q_OBJECT

  public:
    // `owner` is the toy window, kept above and re-enabled on unloading;
    // `answerTimer` is the game's time-out that the sensitivity sets at once.
    frmAbout(QWidget* owner, QTimer* answerTimer);
    ~frmAbout() override;

    // Creates the dialog, loads it, shows it modally and unloads it again.
    // A call while it is open does nothing.
    static void showModal(QWidget* owner, QTimer* answerTimer);

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
    void Form_Load();
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
    bool m_unloaded = false;
};
