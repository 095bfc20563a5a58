#pragma once

#include <QPoint>

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

// Escape belongs to the game's keyboard poll, which breaks a game off with
// it: a dialog of the game never closes on it.
void keepOpenOnEscape(QDialog& dialog);

} // namespace Commands
