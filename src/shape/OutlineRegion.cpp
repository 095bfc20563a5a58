#include "shape/OutlineRegion.h"

#include <utility>
#include <vector>

namespace Shape {

QRegion outlineRegion(const QImage& picture, QRgb maskColour)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb key = maskColour & RGB_MASK;
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

}  // namespace Shape
