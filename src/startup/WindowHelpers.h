#pragma once

#include <QPoint>

class QWidget;

namespace Commands {

inline constexpr int kTwipsPerPixel = 15;

// Top-left corner, in twips, that CenterForm gives a form on a screen.
QPoint centeredPosition(int screenWidthTwips, int screenHeightTwips, int formWidthTwips,
                        int formHeightTwips);

void CenterForm(QWidget& form);
void SetTopmost(QWidget& form);

} // namespace Commands
