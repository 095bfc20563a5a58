#include "ToyPicture.h"

namespace {
const QRgb kBackground = qRgb(72, 72, 72);

const QImage& sharpImage()
{
    static const QImage image =
        QImage(QStringLiteral(":/BITMAP/toy@2x.bmp")).convertToFormat(QImage::Format_RGB32);
    return image;
}

} // namespace

ToyPicture::ToyPicture()
    : m_image(QImage(QStringLiteral(":/BITMAP/toy.bmp")).convertToFormat(QImage::Format_RGB32))
{
}

const std::array<QRect, 5>& ToyPicture::zones()
{
    static const std::array<QRect, 5> rects = {QRect(78, 0, 171, 113), QRect(0, 294, 157, 155),
                                               QRect(408, 72, 119, 131), QRect(320, 402, 151, 143),
                                               QRect(200, 168, 165, 165)};
    return rects;
}

QRegion ToyPicture::solidRegion() const
{
    QRegion region;
    for (int y = 0; y < m_image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
        int x = 0;
        while (x < m_image.width()) {
            while (x < m_image.width() && (row[x] & 0xFFFFFF) == (kBackground & 0xFFFFFF))
                ++x;
            const int start = x;
            while (x < m_image.width() && (row[x] & 0xFFFFFF) != (kBackground & 0xFFFFFF))
                ++x;
            if (x > start)
                region += QRect(start, y, x - start, 1);
        }
    }
    return region;
}

bool ToyPicture::solidAround(int x, int y, int radius) const
{
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(x + dx, y + dy);
            if (!m_image.rect().contains(p) ||
                (m_image.pixel(p) & 0xFFFFFF) == (kBackground & 0xFFFFFF))
                return false;
        }
    }
    return true;
}

QPoint ToyPicture::zonePoint(int zone) const
{
    // The solid point nearest the zone's centre, well inside the zone.
    const QRect rect = zones().at(std::size_t(zone)).adjusted(6, 6, -6, -6);
    const QPoint centre = rect.center();
    QPoint best(-1, -1);
    int bestDistance = INT_MAX;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const int d = (QPoint(x, y) - centre).manhattanLength();
            if (d < bestDistance && solidAround(x, y, 4)) {
                bestDistance = d;
                best = QPoint(x, y);
            }
        }
    }
    return best;
}

QPoint ToyPicture::bodyPoint() const
{
    // A solid point far from every zone, so that a press there is the body's.
    QPoint best(-1, -1);
    int bestClearance = -1;
    for (int y = 0; y < m_image.height(); y += 3) {
        for (int x = 0; x < m_image.width(); x += 3) {
            if (!solidAround(x, y, 5))
                continue;
            int clearance = INT_MAX;
            for (const QRect& zone : zones()) {
                const int dx = std::max({zone.left() - x, 0, x - zone.right()});
                const int dy = std::max({zone.top() - y, 0, y - zone.bottom()});
                clearance = std::min(clearance, std::max(dx, dy));
            }
            if (clearance > bestClearance) {
                bestClearance = clearance;
                best = QPoint(x, y);
            }
        }
    }
    return best;
}

QRegion ToyPicture::sharpSolidRegion()
{
    const QImage& image = sharpImage();
    const auto solid = [&](int x, int y) {
        for (const QPoint p :
             {QPoint(x, y), QPoint(x + 1, y), QPoint(x, y + 1), QPoint(x + 1, y + 1)})
            if ((image.pixel(p) & 0xFFFFFF) != (kBackground & 0xFFFFFF))
                return true;
        return false;
    };
    // Runs of logical pixels, row by row: uniting single blocks would be slow.
    QRegion region;
    for (int y = 0; y + 1 < image.height(); y += 2) {
        int x = 0;
        while (x + 1 < image.width()) {
            while (x + 1 < image.width() && !solid(x, y))
                x += 2;
            const int start = x;
            while (x + 1 < image.width() && solid(x, y))
                x += 2;
            if (x > start)
                region += QRect(start, y, x - start, 2);
        }
    }
    return region;
}

QRgb ToyPicture::sharpColourAt(QPoint p)
{
    return sharpImage().pixel(p) | 0xFF000000u;
}
