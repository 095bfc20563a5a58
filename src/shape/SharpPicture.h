#pragma once

#include <QPixmap>
#include <QString>

namespace Shape {

// The picture at path, read as readPictureFile() reads it.
QPixmap readPicture(const QString& path);

// The picture at path ("name.bmp") for a screen of the given device pixel
// ratio: above 1 the one drawn at twice the size ("name@2x.bmp", or
// "name@2x.png", beside it),
// marked as such so that it covers the same logical pixels; otherwise, or
// when there is no such file, the plain one.
QPixmap sharpPicture(const QString& path, qreal devicePixelRatio);

} // namespace Shape
