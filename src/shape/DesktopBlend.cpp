#include "shape/DesktopBlend.h"

#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QVariant>
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

namespace {

void markAsItIs(Display* display, Window id, bool withFrameExtents)
{
    const long none[4] = {0, 0, 0, 0};
    const auto* data = reinterpret_cast<const unsigned char*>(none);
    XChangeProperty(display, id, XInternAtom(display, "_COMPTON_SHADOW", False), XA_CARDINAL, 32,
                    PropModeReplace, data, 1);
    // Wholly opaque: a compositor's rule for windows without the focus (the
    // sample configuration's inactive-opacity) would fade the whole toy. The
    // soft edge is the picture's own alpha and stays.
    const long opaque = 0xFFFFFFFFl;
    XChangeProperty(display, id, XInternAtom(display, "_NET_WM_WINDOW_OPACITY", False), XA_CARDINAL,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&opaque), 1);
    if (withFrameExtents)
        XChangeProperty(display, id, XInternAtom(display, "_GTK_FRAME_EXTENTS", False), XA_CARDINAL,
                        32, PropModeReplace, data, 4);
    XFlush(display);
}

// The window's ancestor that is a child of the root: the frame a window
// manager wrapped it in, or the window itself.
Window topLevelOf(Display* display, Window id)
{
    for (;;) {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display, id, &root, &parent, &children, &count))
            return id;
        if (children)
            XFree(children);
        if (parent == root || parent == 0)
            return id;
        id = parent;
    }
}

// A compositing manager looks for the shadow and opacity marks on the frame
// a window manager wraps the window in, and those frames carry none of their
// own: each new frame gets them too.
class FrameMark : public QObject, public QAbstractNativeEventFilter {
  public:
    FrameMark(QWidget& window, Display* display)
        : QObject(&window), m_display(display), m_window(Window(window.winId()))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
        markFrame();
    }
    ~FrameMark() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & ~0x80) == XCB_REPARENT_NOTIFY &&
            reinterpret_cast<const xcb_reparent_notify_event_t*>(event)->window == m_window)
            markFrame();
        return false;
    }

  private:
    void markFrame()
    {
        const Window frame = topLevelOf(m_display, m_window);
        if (frame != m_window)
            markAsItIs(m_display, frame, false);
    }

    Display* m_display;
    Window m_window;
};

} // namespace

void drawAsItIs(QWidget& window)
{
    if (!onX())
        return;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return;
    // Both marks that the usual compositor rules exclude from shadows (no
    // shadow asked for, and no frame of its own around the window's
    // picture), and full opacity.
    markAsItIs(display, Window(window.winId()), true);
    static const char* const kMarked = "vuruzFrameMark";
    if (!window.property(kMarked).toBool()) {
        window.setProperty(kMarked, true);
        new FrameMark(window, display);
    }
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
