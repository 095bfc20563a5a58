#pragma once

#include <QList>
#include <QPoint>
#include <QRect>

class QDialog;
class QWidget;

namespace Commands {

inline constexpr int kTwipsPerPixel = 15;

// Top-left corner, in twips, that CenterForm gives a form on a screen.
QPoint centeredPosition(int screenWidthTwips, int screenHeightTwips, int formWidthTwips,
                        int formHeightTwips);

// Centres the form over the screen that `over` stands on; by default over
// its owner's screen (the window it belongs to), or its own.
void CenterForm(QWidget& form, const QWidget* over = nullptr);
void SetTopmost(QWidget& form);

// Keeps a window of the game off the task bar and the pager: the toy has the
// game's one button there, as the dialogs had none. Applies each time it shows.
void keepOffTaskbar(QWidget& window);

// Where a window (its frame) goes so that it stands whole on a screen: where
// it is when one holds it whole, else moved the least way into the screen
// it covers most (the first when it covers none), its top-left corner kept
// on the screen when it is larger.
QPoint wholeOnAScreen(const QRect& frame, const QList<QRect>& screens);

// A second start is the player asking for the toy: it comes to the desktop
// they look at, whole on a screen, raised and with the focus.
void bringToPlayer(QWidget& window);

// Escape belongs to the game's keyboard poll, which breaks a game off with
// it: a dialog of the game never closes on it.
void keepOpenOnEscape(QDialog& dialog);

} // namespace Commands
