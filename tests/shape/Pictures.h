#pragma once

#include <QImage>
#include <cstdlib>

// Pictures made for the shape tests, each on a flat key colour.
namespace TestPictures {

inline constexpr QRgb kGrey = 0xFF484848; // RGB(72, 72, 72)

// A lumpy body with holes of one and several pixels, lone pixels outside it,
// edge shades one step from the key, a clear row through the middle and runs
// of identical rows.
inline QImage holesAndIslands(QRgb key = kGrey)
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(key);
    for (int y = 4; y < 40; ++y) {
        if (y == 25)
            continue;
        const int left = 4 + std::abs(y - 22) / 2;
        for (int x = left; x < 58; ++x)
            image.setPixel(x, y, qRgb(200, 40 + y, x * 3));
    }
    // Shades that differ from the key by one step in a single channel.
    image.setPixel(10, 40, qRgb(qRed(key), qGreen(key), qBlue(key) + 1));
    image.setPixel(11, 40, qRgb(qRed(key) + 1, qGreen(key), qBlue(key)));
    image.setPixel(12, 40, qRgb(qRed(key), qGreen(key) + 1, qBlue(key)));
    // Holes.
    image.setPixel(30, 20, key);
    image.setPixel(31, 20, key);
    image.setPixel(40, 30, key);
    for (int y = 10; y < 13; ++y)
        for (int x = 45; x < 48; ++x)
            image.setPixel(x, y, key);
    // Lone pixels, two of them in corners.
    image.setPixel(0, 0, qRgb(255, 255, 255));
    image.setPixel(63, 47, qRgb(0, 0, 0));
    image.setPixel(62, 1, qRgb(10, 200, 10));
    return image;
}

inline QImage solid(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// A plus sign of one colour on another.
inline QImage cross(QRgb figure, QRgb ground)
{
    QImage image = solid(QSize(21, 15), ground);
    for (int x = 2; x < 19; ++x)
        image.setPixel(x, 7, figure);
    for (int y = 1; y < 14; ++y)
        image.setPixel(10, y, figure);
    return image;
}

// The same picture drawn at twice the size for a denser screen: each pixel a
// 2x2 block, marked with device pixel ratio 2.
inline QImage doubled(const QImage& image)
{
    QImage big = image.scaled(image.size() * 2);
    big.setDevicePixelRatio(2);
    return big;
}

} // namespace TestPictures
