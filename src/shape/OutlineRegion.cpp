#include "shape/OutlineRegion.h"

#include <QtMath>
#include <cstring>
#include <utility>
#include <vector>

namespace Shape {
namespace {

// One pixel per logical pixel of a picture drawn at a device pixel ratio
// above 1: the key where all of its device pixels are the key, another
// colour where any is not.
QImage logicalPixels(const QImage& image, QRgb key)
{
    const qreal ratio = image.devicePixelRatio();
    const QSize size(qCeil(image.width() / ratio), qCeil(image.height() / ratio));
    QImage logical(size, QImage::Format_RGB32);
    logical.fill(key | ~RGB_MASK);
    const QRgb drawn = (key ^ 1u) | ~RGB_MASK;
    // The sizes are read once: QImage's getters are calls the compiler
    // cannot lift out of a loop over a million pixels.
    const int width = image.width();
    const int height = image.height();
    std::vector<int> column(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        column[std::size_t(x)] = qMin(int(x / ratio), size.width() - 1);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        auto* target =
            reinterpret_cast<QRgb*>(logical.scanLine(qMin(int(y / ratio), size.height() - 1)));
        for (int x = 0; x < width; ++x) {
            if ((line[x] & RGB_MASK) != key)
                target[column[std::size_t(x)]] = drawn;
        }
    }
    return logical;
}

// The same for the usual picture of twice the size, read two device pixels
// at a time: the 2x toy has over a million of them, and the toy waits for
// its shape before it shows.
QImage halvedPixels(const QImage& image, QRgb key)
{
    constexpr quint64 kPairMask = quint64(RGB_MASK) << 32 | RGB_MASK;
    const quint64 keyPair = quint64(key) << 32 | key;
    const QSize size(image.width() / 2, image.height() / 2);
    QImage logical(size, QImage::Format_RGB32);
    const QRgb blank = key | ~RGB_MASK;
    const QRgb drawn = (key ^ 1u) | ~RGB_MASK;
    for (int y = 0; y < size.height(); ++y) {
        const uchar* top = image.constScanLine(2 * y);
        const uchar* bottom = image.constScanLine(2 * y + 1);
        auto* target = reinterpret_cast<QRgb*>(logical.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            quint64 upper = 0, lower = 0;
            std::memcpy(&upper, top + 8 * x, sizeof upper);
            std::memcpy(&lower, bottom + 8 * x, sizeof lower);
            const bool keyed = (upper & kPairMask) == keyPair && (lower & kPairMask) == keyPair;
            target[x] = keyed ? blank : drawn;
        }
    }
    return logical;
}

} // namespace

QRegion outlineRegion(const QImage& picture, QRgb maskColour)
{
    const QRgb key = maskColour & RGB_MASK;
    QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const bool evenSides = image.width() % 2 == 0 && image.height() % 2 == 0;
    if (image.devicePixelRatio() == 2.0 && evenSides)
        image = halvedPixels(image, key);
    else if (image.devicePixelRatio() != 1.0)
        image = logicalPixels(image, key);
    const int width = image.width();

    // Uniting thousands of rectangles one by one is quadratic; instead the
    // rectangles are laid out in the banded order that QRegion keeps itself
    // (one band per run of identical rows, runs left to right), and handed
    // over in one go.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> runs;
    std::vector<std::pair<int, int>> bandRuns;
    std::size_t bandStart = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        runs.clear();
        int x = 0;
        while (x < width) {
            while (x < width && (line[x] & RGB_MASK) == key)
                ++x;
            if (x == width)
                break;
            const int start = x;
            while (x < width && (line[x] & RGB_MASK) != key)
                ++x;
            runs.emplace_back(start, x);
        }
        if (!runs.empty() && runs == bandRuns) {
            for (std::size_t i = bandStart; i < rects.size(); ++i)
                rects[i].setBottom(y);
            continue;
        }
        bandStart = rects.size();
        bandRuns = runs;
        for (const auto& [start, end] : runs)
            rects.emplace_back(start, y, end - start, 1);
    }

    QRegion region;
    region.setRects(rects.data(), int(rects.size()));
    return region;
}

} // namespace Shape
