#include "shape/PictureFile.h"

#include <QFileInfo>
#include <QImageReader>
#include <QResource>
#include <cstdint>

namespace Shape {
namespace {

quint32 le32(const uchar* p)
{
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const uchar* p)
{
    return quint16(p[0] | p[1] << 8);
}

constexpr qint64 kFileHeader = 14;
constexpr quint32 kInfoHeader = 40;
constexpr qint64 kLargestSide = 16384;

} // namespace

QImage viewPlainBitmap32(const uchar* data, qint64 size)
{
    if (!data || size < kFileHeader + kInfoHeader || data[0] != 'B' || data[1] != 'M')
        return {};
    const quint32 offset = le32(data + 10);
    const uchar* info = data + kFileHeader;
    const qint64 width = qint32(le32(info + 4));
    const qint64 height = -qint64(qint32(le32(info + 8))); // top-down rows count negative
    const bool plain = le32(info) >= kInfoHeader && le16(info + 12) == 1 && le16(info + 14) == 32 &&
                       le32(info + 16) == 0;
    if (!plain || width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide)
        return {};
    if (offset < kFileHeader + kInfoHeader || offset > size || size - offset < width * height * 4)
        return {};
    const uchar* pixels = data + offset;
    if (reinterpret_cast<std::uintptr_t>(pixels) % alignof(quint32) != 0)
        return {};
    return QImage(pixels, int(width), int(height), int(width * 4), QImage::Format_RGB32);
}

QImage readPictureFile(const QString& path)
{
    const QByteArray format = QFileInfo(path).suffix().toLower().toLatin1();
    if (format == "bmp") {
        // A resource kept uncompressed lies in the program's read-only data
        // for as long as the program runs; the picture is used where it lies.
        const QResource resource(path);
        if (resource.isValid() && resource.compressionAlgorithm() == QResource::NoCompression) {
            QImage view = viewPlainBitmap32(resource.data(), resource.size());
            if (!view.isNull())
                return view;
        }
    }
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

} // namespace Shape
