#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <optional>
#include <string>
#include <vector>

class QWidget;

// What the X server itself knows about our windows, and real input sent
// through it. Kept apart so that no test file sees the X headers' macros.
namespace XProbe {

// True when the application runs on X and the server can report shapes.
bool available();
// True when the server can also take synthetic input (XTest).
bool canSendInput();

// The window's bounding shape as the server keeps it, in the window's device
// pixels (its logical pixels times its device pixel ratio).
std::optional<std::vector<QRect>> boundingRects(QWidget& window);

// A real press and release of a mouse button (1 left, 2 middle, 3 right) on
// the window's logical pixel pos.
void click(QWidget& window, QPoint pos, int xButton = 1);

}  // namespace XProbe

// One flag per pixel of a width x height area, row by row.
using PixelSet = std::vector<bool>;

PixelSet pixelsOf(const std::vector<QRect>& rects, QSize size);
// Each pixel of a width x height set as a factor x factor block.
PixelSet scaledUp(const PixelSet& pixels, QSize size, int factor);
// The pixels whose colour differs from key, alpha ignored.
PixelSet pixelsNotOfColour(const QImage& picture, QRgb key);
// Empty when equal, otherwise how many pixels differ and the first few.
std::string describeDifference(const PixelSet& actual, const PixelSet& expected, QSize size);
