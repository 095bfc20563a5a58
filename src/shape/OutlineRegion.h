#pragma once

#include <QImage>
#include <QRegion>
#include <QRgb>

namespace Shape {

// The pixels of the picture whose colour differs from maskColour (alpha
// ignored), with the picture's top-left pixel at (0, 0).
QRegion outlineRegion(const QImage& picture, QRgb maskColour);

}  // namespace Shape
