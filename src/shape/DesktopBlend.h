#pragma once

#include <QPixmap>
#include <QRgb>

class QWidget;

namespace Shape {

// True where the desktop blends windows with what lies behind them: a
// compositing manager runs on the X screen, or the program runs on Wayland.
// There a window may have soft, partly transparent edges.
bool desktopBlends();

// The picture with its soft edge: the same pixels, each with the coverage
// that its fourth byte carries (the artwork script writes it). Null for a
// picture that has no such edge: one where a pixel of the outline (not the
// mask colour) is wholly transparent, or no pixel outside it is.
QPixmap softEdgePicture(const QPixmap& picture, QRgb maskColour);

// Asks an X compositing manager to draw no shadow for the window: the ones
// here shade a window's whole rectangle, whatever its shape or its alpha.
// Makes the window's native window if it has none yet.
void declineShadow(QWidget& window);

} // namespace Shape
