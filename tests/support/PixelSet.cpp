#include "support/PixelSet.h"

#include <sstream>

PixelSet pixelsOf(const std::vector<QRect>& rects, QSize size)
{
    PixelSet set(std::size_t(size.width()) * std::size_t(size.height()), false);
    const QRect bounds(QPoint(0, 0), size);
    for (const QRect& rect : rects) {
        const QRect clipped = rect & bounds;
        for (int y = clipped.top(); y <= clipped.bottom(); ++y)
            for (int x = clipped.left(); x <= clipped.right(); ++x)
                set[std::size_t(y) * std::size_t(size.width()) + std::size_t(x)] = true;
    }
    return set;
}

PixelSet scaledUp(const PixelSet& pixels, QSize size, int factor)
{
    const std::size_t width = std::size_t(size.width()) * std::size_t(factor);
    PixelSet set(pixels.size() * std::size_t(factor) * std::size_t(factor), false);
    for (std::size_t y = 0; y * width < set.size(); ++y)
        for (std::size_t x = 0; x < width; ++x)
            set[y * width + x] = pixels[(y / std::size_t(factor)) * std::size_t(size.width()) +
                                        x / std::size_t(factor)];
    return set;
}

PixelSet pixelsNotOfColour(const QImage& picture, QRgb key)
{
    PixelSet set(std::size_t(picture.width()) * std::size_t(picture.height()), false);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            set[std::size_t(y) * std::size_t(picture.width()) + std::size_t(x)] =
                (picture.pixel(x, y) & RGB_MASK) != (key & RGB_MASK);
    return set;
}

std::string describeDifference(const PixelSet& actual, const PixelSet& expected, QSize size)
{
    if (actual == expected)
        return {};
    if (actual.size() != expected.size())
        return "pixel sets of different sizes";
    std::ostringstream out;
    int count = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] == expected[i])
            continue;
        if (count < 5) {
            out << " (" << i % std::size_t(size.width()) << "," << i / std::size_t(size.width())
                << ") is " << (actual[i] ? "in" : "out");
        }
        ++count;
    }
    return std::to_string(count) + " pixels differ:" + out.str();
}
