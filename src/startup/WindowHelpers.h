#pragma once

#include <QPoint>

class QDialog;
class QWidget;

namespace Commands {

inline constexpr int kTwipsPerPixel = 15;

// Top-left corner, in twips, that CenterForm gives a form on a screen.
QPoint centeredPosition(int screenWidthTwips, int screenHeightTwips, int formWidthTwips,
                        int formHeightTwips);

void CenterForm(QWidget& form);
void SetTopmost(QWidget& form);

// Escape belongs to the game's keyboard poll, which breaks a game off with
// it: a dialog of the game never closes on it.
void keepOpenOnEscape(QDialog& dialog);

} // namespace Commands
