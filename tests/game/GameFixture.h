#pragma once

#include "game/ToyGame.h"
#include "game/frmMain.h"
#include "support/CountingDialogs.h"
#include "support/QtPrinters.h"
#include "support/RecordingOutput.h"

#include <QStringList>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

// A loaded main window with the sound output, the random draw and the
// windows it opens replaced by recorders. The keyboard poll is stopped so a
// test runs its ticks itself.
class GameFixture : public ::testing::Test {
  protected:
    static inline const QString kRhythm = QStringLiteral("file:/tmp/vuruz-test/rhyRhythm1.wav");

    void SetUp() override;
    // A fresh loaded window with its own key state, in place of the old one.
    void loadWindow();
    void TearDown() override;

    // Queue draws so that the next commands are these numbers (1 to 5).
    void queueCommands(std::initializer_list<int> commands);
    // Queue a draw that picks remark k of n.
    void queueRemark(int k, int n);

    // Zone press through the handler, as the keyboard poll makes it, and
    // every sound it leads to played to its end.
    void press(int zone);
    // Runs the event loop until the game's sounds and steps are done.
    void settle();
    // One tick of the keyboard poll, one of the answer timer; each settled.
    void poll();
    void tick();
    // Starts a game whose first command is `command`; the log is cleared after.
    void startWith(int command);
    // Switches the idle toy to the mode by its own zone; the log is cleared after.
    void setSoundMode(qint16 mode);
    ToyGame& game() { return *m_game; }

    // Mouse press and release through the top-level window, as X delivers it.
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    // The same click queued, as X delivers one made while a sound blocks: it
    // is handled when the game next lets events run.
    void postClick(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void keyTap(Qt::Key key);

    // Centre pixel of a zone, and a point on the body outside all zones.
    QPoint zoneCentre(int zone) const;
    static constexpr QPoint kBodyPoint{250, 360};

    QStringList takePlayed();

    RecordingOutput output;
    CountingDialogs dialogs;
    std::unique_ptr<ToyGame> m_game;
    std::unique_ptr<frmMain> window;
    std::deque<double> draws;
    int& optionsOpened = dialogs.optionsOpened;
    int& tablesShown = dialogs.tablesShown;
    QList<qint16>& highScoreSteps = dialogs.highScoreSteps;
    bool& namePrompt = dialogs.namePrompt;
};
