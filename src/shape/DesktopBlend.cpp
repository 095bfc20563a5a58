#include "shape/DesktopBlend.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QWidget>

// The X headers come last: their macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace Shape {

bool desktopBlends()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    // A compositing manager owns this selection for the screen it manages.
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.constData(), False);
    return XGetSelectionOwner(display, selection) != 0;
}

QPixmap softEdgePicture(const QPixmap& picture, QRgb maskColour)
{
    const QImage image = picture.toImage();
    if (image.format() != QImage::Format_RGB32)
        return {};
    const QRgb key = maskColour & RGB_MASK;
    bool clearOutside = false;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool outline = (line[x] & RGB_MASK) != key;
            if (outline && qAlpha(line[x]) == 0)
                return {};
            clearOutside = clearOutside || (!outline && qAlpha(line[x]) == 0);
        }
    }
    if (!clearOutside)
        return {};
    // The same bytes read with their alpha; the pixmap takes its own copy.
    QImage soft(image.constBits(), image.width(), image.height(), int(image.bytesPerLine()),
                QImage::Format_ARGB32);
    soft.setDevicePixelRatio(image.devicePixelRatio());
    return QPixmap::fromImage(soft.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void declineShadow(QWidget& window)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return;
    // Both marks that the usual compositor rules exclude from shadows: no
    // shadow asked for, and no frame of its own around the window's picture.
    const long none[4] = {0, 0, 0, 0};
    const auto* data = reinterpret_cast<const unsigned char*>(none);
    const Window id = Window(window.winId());
    XChangeProperty(display, id, XInternAtom(display, "_COMPTON_SHADOW", False), XA_CARDINAL, 32,
                    PropModeReplace, data, 1);
    XChangeProperty(display, id, XInternAtom(display, "_GTK_FRAME_EXTENTS", False), XA_CARDINAL, 32,
                    PropModeReplace, data, 4);
    XFlush(display);
}

} // namespace Shape
