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
        // Kept like the plain picture (a bitmap shown in place) or as a PNG.
        const QFileInfo plain(path);
        const QString base = plain.path() + QLatin1Char('/') + plain.completeBaseName();
        for (const QString& sharpFile :
             {base + QStringLiteral("@2x.") + plain.suffix(), base + QStringLiteral("@2x.png")}) {
            if (!QFileInfo::exists(sharpFile))
                continue;
            QPixmap sharp = readPicture(sharpFile);
            if (!sharp.isNull()) {
                sharp.setDevicePixelRatio(2.0);
                return sharp;
            }
        }
    }
    return readPicture(path);
}

} // namespace Shape
