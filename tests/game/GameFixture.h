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

// A loaded toy window with the sound output, the random draw, the table file
// and the windows it opens replaced by recorders. The keyboard poll is
// stopped so a test runs its ticks itself.
class GameFixture : public ::testing::Test {
  protected:
    static inline const QString kRhythm = QStringLiteral("file:/tmp/vuruz-test/rhyRhythm1.wav");

    void SetUp() override;
    // A fresh loaded window in the language, in place of the old one.
    void loadWindow(qint16 language = 0);
    void TearDown() override;

    // Queue draws so that the next commands are these numbers (1 to 5).
    void queueCommands(std::initializer_list<int> commands);
    // Queue a draw that picks remark k of n.
    void queueRemark(int k, int n);

    // Zone press through the handler, and every sound it leads to played.
    void press(int zone);
    // Lets the sounds that were started end, and what follows them run.
    void settle();
    // One tick of the keyboard poll, one of the answer timer; each settled.
    void poll();
    void tick();
    // Starts a game whose first command is `command`; the log is cleared after.
    void startWith(int command);

    // Mouse click through the top-level window, as X delivers it.
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton);
    void keyTap(Qt::Key key);

    // The window's named parts, as tests reach them.
    QTimer& timer(const char* name) const;
    QPoint zoneCentre(int zone) const;
    // A point on the body outside all zones.
    static constexpr QPoint kBodyPoint{250, 360};

    QStringList takePlayed();

    RecordingOutput output;
    CountingDialogs dialogs;
    ScoresInMemory scores;
    std::unique_ptr<ToyGame> m_game;
    std::unique_ptr<frmMain> window;
    std::deque<double> draws;
    int& optionsOpened = dialogs.optionsOpened;
    int& tablesShown = dialogs.tablesShown;
};
