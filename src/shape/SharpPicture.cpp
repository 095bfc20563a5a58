#include "shape/SharpPicture.h"

#include <QFileInfo>

namespace Shape {

QPixmap sharpPicture(const QString& path, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1.0) {
        const QFileInfo plain(path);
        QPixmap sharp(plain.path() + QLatin1Char('/') + plain.completeBaseName() +
                      QStringLiteral("@2x.png"));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2.0);
            return sharp;
        }
    }
    return QPixmap(path);
}

} // namespace Shape
