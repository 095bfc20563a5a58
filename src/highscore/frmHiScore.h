#pragma once

#include <QDialog>
#include <QPointer>
#include <array>
#include <memory>

class QLabel;
namespace Ui {
class frmHiScore;
}

// The high-score window: rank, name and points of the ten places.
class frmHiScore : public QDialog {
    Q_OBJECT

  public:
    // `mainWindow` is re-enabled when the window is unloaded.
    explicit frmHiScore(QWidget* parent = nullptr, QWidget* mainWindow = nullptr);
    ~frmHiScore() override;

    void Form_Load();
    void Form_Unload();

    // Row i shows place i + 1.
    void setRow(int index, const QString& name, qint16 points);

    std::array<QLabel*, 10> lblNumber{};
    std::array<QLabel*, 10> lblHScoreName{};
    std::array<QLabel*, 10> lblHScore{};

  private:
    std::unique_ptr<Ui::frmHiScore> ui;
    QPointer<QWidget> m_mainWindow;
};
