#pragma once

#include <QDialog>

// The options dialog: language, timer sensitivity, high scores and the way out.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    // Shows the high-score table; callable without showing this dialog.
    static void Command3_Click();

    // Creates the dialog, loads it, shows it modally and unloads it again.
    static void ShowModal(QWidget* parent = nullptr);
};
