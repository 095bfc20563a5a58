#include "shape/SharpPicture.h"

#include "shape/PictureFile.h"

#include <QFileInfo>

namespace Shape {

QPixmap readPicture(const QString& path)
{
    return QPixmap::fromImage(readPictureFile(path));
}

QPixmap sharpPicture(const QString& path, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1.0) {
        const QFileInfo plain(path);
        QPixmap sharp =
            readPicture(plain.path() + QLatin1Char('/') + plain.completeBaseName() + "@2x.png");
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return readPicture(path);
}

} // namespace Shape
