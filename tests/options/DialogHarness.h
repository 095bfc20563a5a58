#pragma once

#include "highscore/HighScoreTable.h"
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

    // Opens the dialog as the game does, runs whileOpen while it is up and
    // lets what that started (the farewell) finish; a dialog still open
    // afterwards is closed by its close box.
    void openDialog(const std::function<void(frmAbout&)>& whileOpen);
    OptionsContext context()
    {
        return {sound, *dialogSettings, table, [this] { ++programEnds; }};
    }

    template <class T> static T* control(frmAbout& dialog, const char* name)
    {
        auto* found = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QString rhythmFile() const;

    FakeSettings settings;
    Commands::SettingsAccess* dialogSettings = &settings; // what the dialog is given
    RecordingOutput sound;
    TempFolder temp;
    std::unique_ptr<QWidget> main;
    QTimer answerTimer;
    AppModul::HighScoreTable table;
    int programEnds = 0;
};

// Turns of the event loop until the sounds a test started have ended.
void letSoundsEnd();

// Screen rectangle of one part of a scroll bar (arrow, track side, thumb).
QRect scrollBarPart(const QScrollBar& bar, QStyle::SubControl part);
void clickAt(QWidget& widget, QPoint point);
QString sensitivityText(int milliseconds);
