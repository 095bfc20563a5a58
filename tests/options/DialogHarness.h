#pragma once

#include "options/OptionsSeams.h"
#include "options/frmAbout.h"
#include "startup/Settings.h"
#include "support/RecordingOutput.h"
#include "support/TempFolder.h"

#include <QPushButton>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Settings held in memory; a missing key reads as the caller's default.
class FakeSettings final : public Commands::SettingsAccess {
  public:
    QString read(const Commands::Setting& setting) override;
    void write(const Commands::Setting& setting, const QString& value) override;

    std::map<QString, QString> stored;
    std::vector<std::pair<QString, QString>> writes;
};

// An owner window and an answer timer at 1234 ms, fake settings and sound, a
// scratch temp folder holding the rhythm file, and a program end that returns.
class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the dialog as the game does and runs whileOpen inside its modal
    // loop; a dialog still open afterwards is closed by its close box.
    void openDialog(const std::function<void(frmAbout&)>& whileOpen);

    template <class T> static T* control(frmAbout& dialog, const char* name)
    {
        auto* found = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString rhythmFile() const;

    FakeSettings settings;
    RecordingOutput sound;
    TempFolder temp;
    std::unique_ptr<QWidget> main;
    QTimer answerTimer;
    int programEnds = 0;
};

// Runs action once the options dialog is the modal window (nullptr if it
// never becomes one).
void whenDialogOpen(const std::function<void(frmAbout*)>& action);

// Screen rectangle of one part of a scroll bar (arrow, track side, thumb).
QRect scrollBarPart(const QScrollBar& bar, QStyle::SubControl part);
void clickAt(QWidget& widget, QPoint point);
QString sensitivityText(int milliseconds);
