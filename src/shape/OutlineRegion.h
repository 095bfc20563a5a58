#pragma once

#include <QImage>
#include <QRegion>
#include <QRgb>

namespace Shape {

// The pixels of the picture whose colour differs from maskColour (alpha
// ignored), with the picture's top-left pixel at (0, 0). The region is in
// logical pixels: a picture drawn for a denser screen (device pixel ratio
// above 1) covers each logical pixel with several of its own, and the
// logical pixel belongs to the outline when any of them does.
QRegion outlineRegion(const QImage& picture, QRgb maskColour);

} // namespace Shape
