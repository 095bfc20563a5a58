#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <string>
#include <vector>

// One flag per pixel of a width x height area, row by row.
using PixelSet = std::vector<bool>;

PixelSet pixelsOf(const std::vector<QRect>& rects, QSize size);
// Each pixel of a width x height set as a factor x factor block.
PixelSet scaledUp(const PixelSet& pixels, QSize size, int factor);
// The pixels whose colour differs from key, alpha ignored.
PixelSet pixelsNotOfColour(const QImage& picture, QRgb key);
// Empty when equal, otherwise how many pixels differ and the first few.
std::string describeDifference(const PixelSet& actual, const PixelSet& expected, QSize size);
