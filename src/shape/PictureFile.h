#pragma once

#include <QImage>
#include <QString>

namespace Shape {

// The picture in the file at path (a resource or a file on disk), read by
// the decoder its suffix names: ".bmp", ".png", ".ico". Qt is never left to
// guess the format, since guessing loads every image plugin there is (and
// the JPEG library) before the first window can show.
QImage readPictureFile(const QString& path);

// A plain 32-bit top-down BMP (no compression, rows from the top, each pixel
// B, G, R, X) holds its pixels exactly as Qt keeps an RGB32 picture. This is
// that picture over the file's own bytes, without a copy: they must outlive
// it. A null image for anything else, a file cut short, or pixels not on a
// 4-byte boundary.
QImage viewPlainBitmap32(const uchar* data, qint64 size);

} // namespace Shape
