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
    QPoint zonePoint(int zone) const; // on the toy, inside the zone
    QPoint bodyPoint() const;         // on the toy, away from every zone
    QRgb colourAt(QPoint p) const { return m_image.pixel(p) | 0xFF000000u; }

    static const std::array<QRect, 5>& zones();

  private:
    bool solidAround(int x, int y, int radius) const;
    QImage m_image;
};
