#include "shape/DesktopBlend.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdlib>

// The X headers come last: their macros clash with Qt's names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <xcb/xcb.h>
#include <xcb/xfixes.h>

namespace Shape {
namespace {

bool onX()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// The selection a compositing manager owns for the X screen it manages.
QByteArray compositorSelection(Display* display)
{
    return "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
}

} // namespace

bool desktopCanBlend()
{
    return onX() || QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool desktopBlends()
{
    if (!onX())
        return desktopCanBlend();
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    const Atom selection = XInternAtom(display, compositorSelection(display).constData(), False);
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
    if (!onX())
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

BlendWatch::BlendWatch(QObject* parent) : QObject(parent), m_blends(desktopBlends())
{
    if (!onX())
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!display || !connection)
        return;
    const xcb_query_extension_reply_t* fixes = xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (!fixes || !fixes->present)
        return;
    // The extension serves a client once it has said which version it speaks;
    // selection events are there from the first.
    std::free(xcb_xfixes_query_version_reply(connection, xcb_xfixes_query_version(connection, 1, 0),
                                             nullptr));
    m_selection = quint32(XInternAtom(display, compositorSelection(display).constData(), False));
    xcb_xfixes_select_selection_input(connection, xcb_window_t(DefaultRootWindow(display)),
                                      m_selection,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(connection);
    m_notifyEvent = fixes->first_event + XCB_XFIXES_SELECTION_NOTIFY;
    // The owner may have changed before the watch began.
    m_blends = desktopBlends();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

BlendWatch::~BlendWatch()
{
    if (m_notifyEvent >= 0 && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool BlendWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (m_notifyEvent < 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != m_notifyEvent)
        return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == m_selection && (notify->owner != XCB_NONE) != m_blends) {
        m_blends = !m_blends;
        Q_EMIT blendsChanged(m_blends);
    }
    // Qt watches the same selection for its own reasons.
    return false;
}

} // namespace Shape
