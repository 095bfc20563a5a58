#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <array>

// What the test knows of the toy from its artwork alone: where the window is
// solid, and safe points to press on each part and on the body.
class ToyPicture {
  public:
    ToyPicture();
    bool loaded() const { return !m_image.isNull(); }
    QSize size() const { return m_image.size(); }
    QRegion solidRegion() const;
    // The window's shape on a screen of twice the density: the picture drawn
    // for it, in whole logical pixels (one belongs to the toy when any of its
    // four device pixels does), each as its 2x2 block of device pixels.
    static QRegion sharpSolidRegion();
    // A pixel of that picture, in device pixels.
    static QRgb sharpColourAt(QPoint p);
    QPoint zonePoint(int zone) const; // on the toy, inside the zone
    QPoint bodyPoint() const;         // on the toy, away from every zone
    QRgb colourAt(QPoint p) const { return m_image.pixel(p) | 0xFF000000u; }

    static const std::array<QRect, 5>& zones();

  private:
    bool solidAround(int x, int y, int radius) const;
    QImage m_image;
};
