#include "XSession.h"

#include "support/XProbe.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <csignal>
#include <sys/prctl.h>

namespace XSession {
namespace {

Display* ownDisplay()
{
    static Display* dpy = XOpenDisplay(nullptr);
    return dpy;
}

Display*& otherDisplay()
{
    static Display* dpy = nullptr;
    return dpy;
}

Display* display()
{
    return otherDisplay() ? otherDisplay() : ownDisplay();
}

QString xdotool(const QStringList& args, int timeoutMs = 10000)
{
    return run(QStringLiteral("xdotool"), args, timeoutMs);
}

} // namespace

void dieWithTest(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

QString run(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QList<qulonglong> windowsOf(qint64 pid)
{
    QList<qulonglong> windows;
    const QString out = xdotool({"search", "--onlyvisible", "--pid", QString::number(pid)});
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        windows << line.trimmed().toULongLong();
    return windows;
}

std::optional<qulonglong> waitForWindow(qint64 pid, int timeoutMs, const QRect& sizeLike)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        for (qulonglong w : windowsOf(pid)) {
            if (sizeLike.isNull() || geometry(w).size() == sizeLike.size())
                return w;
        }
        QThread::msleep(50);
    }
    return std::nullopt;
}

namespace {

std::optional<qulonglong> waitForSearch(const QString& field, const QString& pattern, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString out = xdotool({"search", "--onlyvisible", field, pattern});
        const QStringList ids = out.split('\n', Qt::SkipEmptyParts);
        if (!ids.isEmpty())
            return ids.first().trimmed().toULongLong();
        QThread::msleep(50);
    }
    return std::nullopt;
}

} // namespace

std::optional<qulonglong> waitForWindowNamed(const QString& name, int timeoutMs)
{
    return waitForSearch(QStringLiteral("--name"), "^" + name + "$", timeoutMs);
}

std::optional<qulonglong> waitForWindowOfClass(const QString& windowClass, int timeoutMs)
{
    return waitForSearch(QStringLiteral("--class"), "^" + windowClass + "$", timeoutMs);
}

bool waitForWindowGone(qulonglong window, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        XWindowAttributes attrs{};
        XSync(display(), False);
        const auto oldHandler = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        const Status ok = XGetWindowAttributes(display(), Window(window), &attrs);
        XSync(display(), False);
        XSetErrorHandler(oldHandler);
        if (!ok || attrs.map_state != IsViewable)
            return true;
        QThread::msleep(50);
    }
    return false;
}

QRect geometry(qulonglong window)
{
    Display* dpy = display();
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, border = 0, depth = 0;
    if (!XGetGeometry(dpy, Window(window), &root, &x, &y, &w, &h, &border, &depth))
        return {};
    XTranslateCoordinates(dpy, Window(window), root, 0, 0, &x, &y, &child);
    return QRect(x, y, int(w), int(h));
}

QRegion boundingShape(qulonglong window)
{
    int count = 0, ordering = 0;
    XRectangle* rects =
        XShapeGetRectangles(display(), Window(window), ShapeBounding, &count, &ordering);
    QRegion region;
    for (int i = 0; i < count; ++i)
        region += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    return region;
}

QList<QSize> iconSizes(qulonglong window)
{
    Display* dpy = display();
    const Atom prop = XInternAtom(dpy, "_NET_WM_ICON", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    QList<QSize> sizes;
    // Each icon is its width and height, then its pixels.
    if (XGetWindowProperty(dpy, Window(window), prop, 0, 1 << 22, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        format == 32) {
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i + 2 <= count;) {
            const QSize size(int(values[i]), int(values[i + 1]));
            if (size.isEmpty())
                break;
            sizes.append(size);
            i += 2 + static_cast<unsigned long>(size.width()) *
                         static_cast<unsigned long>(size.height());
        }
    }
    if (data)
        XFree(data);
    return sizes;
}

QList<qulonglong> stackingOrder()
{
    Display* dpy = display();
    const Atom prop = XInternAtom(dpy, "_NET_CLIENT_LIST_STACKING", True);
    QList<qulonglong> order;
    if (prop == None)
        return order;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy), prop, 0, 4096, False, XA_WINDOW, &type,
                           &format, &count, &after, &data) == Success &&
        data) {
        const auto* windows = reinterpret_cast<const Window*>(data);
        for (unsigned long i = 0; i < count; ++i)
            order << qulonglong(windows[i]);
        XFree(data);
    }
    return order;
}

QRect screen()
{
    Display* dpy = display();
    return QRect(0, 0, DisplayWidth(dpy, DefaultScreen(dpy)),
                 DisplayHeight(dpy, DefaultScreen(dpy)));
}

QImage grab(const QRect& area)
{
    Display* dpy = display();
    XSync(dpy, False);
    XImage* image = XGetImage(dpy, DefaultRootWindow(dpy), area.x(), area.y(),
                              unsigned(area.width()), unsigned(area.height()), AllPlanes, ZPixmap);
    if (!image)
        return {};
    QImage result(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < area.width(); ++x)
            line[x] = QRgb(XGetPixel(image, x, y)) | 0xFF000000u;
    }
    XDestroyImage(image);
    return result;
}

bool compositorRuns()
{
    Display* dpy = display();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(dpy));
    return XGetSelectionOwner(dpy, XInternAtom(dpy, name.constData(), False)) != None;
}

void moveTo(int x, int y)
{
    // xdotool's --sync waits for a motion event, which never comes when the
    // pointer is already there.
    Window root = 0, child = 0;
    int rootX = -1, rootY = -1, winX = 0, winY = 0;
    unsigned mask = 0;
    XQueryPointer(display(), DefaultRootWindow(display()), &root, &child, &rootX, &rootY, &winX,
                  &winY, &mask);
    if (rootX == x && rootY == y)
        return;
    xdotool({"mousemove", "--sync", QString::number(x), QString::number(y)});
}

void click(int x, int y, int button)
{
    moveTo(x, y);
    xdotool({"click", QString::number(button)});
}

void press(int x, int y, int button)
{
    moveTo(x, y);
    xdotool({"mousedown", QString::number(button)});
}

void release(int button)
{
    xdotool({"mouseup", QString::number(button)});
}

void key(const QString& keysym)
{
    xdotool({"key", "--clearmodifiers", keysym});
}

void holdKey(const QString& keysym, int holdMs)
{
    const QByteArray name = keysym.toLatin1();
    XProbe::key(name.constData(), true);
    if (holdMs > 0)
        QThread::msleep(holdMs);
    XProbe::key(name.constData(), false);
}

void requestClose(qulonglong window)
{
    Display* dpy = display();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window);
    event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, Window(window), False, NoEventMask, &event);
    XFlush(dpy);
}

void type(const QString& text)
{
    xdotool({"type", "--delay", "60", text});
}

void activate(qulonglong window)
{
    xdotool({"windowactivate", "--sync", QString::number(window)}, 3000);
}

WindowManager::WindowManager() : m_process(std::make_unique<QProcess>())
{
    // A check window left by an earlier manager would pass for this one.
    Display* dpy = display();
    const Atom check = XInternAtom(dpy, "_NET_SUPPORTING_WM_CHECK", False);
    XDeleteProperty(dpy, DefaultRootWindow(dpy), check);
    XSync(dpy, False);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    dieWithTest(*m_process);
    m_process->start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_process->waitForStarted(5000))
        return;
    QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired()) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(dpy, DefaultRootWindow(dpy), check, 0, 1, False, XA_WINDOW, &type,
                           &format, &count, &after, &data);
        if (data) {
            XFree(data);
            if (count == 1)
                return;
        }
        QThread::msleep(50);
    }
}

WindowManager::~WindowManager()
{
    m_process->terminate();
    // The next window manager can only start once this one is gone.
    if (!m_process->waitForFinished(5000))
        m_process->kill();
    m_process->waitForFinished(1000);
}

bool WindowManager::running() const
{
    return m_process->state() == QProcess::Running;
}

OnDisplay::OnDisplay(const QString& name) : m_previousName(qgetenv("DISPLAY"))
{
    ownDisplay(); // opened on the test's own server before DISPLAY changes
    m_display = XOpenDisplay(name.toLocal8Bit().constData());
    if (!m_display)
        return;
    otherDisplay() = m_display;
    qputenv("DISPLAY", name.toLocal8Bit());
}

OnDisplay::~OnDisplay()
{
    if (!m_display)
        return;
    otherDisplay() = nullptr;
    qputenv("DISPLAY", m_previousName);
    XCloseDisplay(m_display);
}

} // namespace XSession
