#include "XProbe.h"

#include <QGuiApplication>
#include <QWidget>

#include <sstream>

// The X headers come last: they define macros (None, Bool, Status...) that
// clash with Qt's own names.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#if VURUZ_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

namespace XProbe {
namespace {

Display* display()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->display() : nullptr;
}

}  // namespace

bool available()
{
    Display* const d = display();
    int eventBase = 0;
    int errorBase = 0;
    return d && XShapeQueryExtension(d, &eventBase, &errorBase);
}

bool canSendInput()
{
#if VURUZ_HAVE_XTEST
    Display* const d = display();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    return d && XTestQueryExtension(d, &eventBase, &errorBase, &major, &minor);
#else
    return false;
#endif
}

std::optional<std::vector<QRect>> boundingRects(QWidget& window)
{
    Display* const d = display();
    if (!d)
        return std::nullopt;
    // Qt's own requests share this connection, so a round trip puts them
    // all before the question.
    XSync(d, False);
    int count = 0;
    int ordering = 0;
    XRectangle* const rects =
        XShapeGetRectangles(d, static_cast<Window>(window.winId()), ShapeBounding, &count,
                            &ordering);
    std::vector<QRect> result;
    for (int i = 0; i < count; ++i)
        result.emplace_back(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    return result;
}

void click(QWidget& window, QPoint pos, int xButton)
{
#if VURUZ_HAVE_XTEST
    Display* const d = display();
    if (!d)
        return;
    // The server counts device pixels; on one screen at the origin they are
    // the logical ones times the ratio.
    const QPoint screenPos = window.mapToGlobal(pos) * window.devicePixelRatio();
    XTestFakeMotionEvent(d, -1, screenPos.x(), screenPos.y(), CurrentTime);
    XTestFakeButtonEvent(d, static_cast<unsigned>(xButton), True, CurrentTime);
    XTestFakeButtonEvent(d, static_cast<unsigned>(xButton), False, CurrentTime);
    XSync(d, False);
#else
    Q_UNUSED(window);
    Q_UNUSED(pos);
    Q_UNUSED(xButton);
#endif
}

}  // namespace XProbe

PixelSet pixelsOf(const std::vector<QRect>& rects, QSize size)
{
    PixelSet set(std::size_t(size.width()) * std::size_t(size.height()), false);
    const QRect bounds(QPoint(0, 0), size);
    for (const QRect& rect : rects) {
        const QRect clipped = rect & bounds;
        for (int y = clipped.top(); y <= clipped.bottom(); ++y)
            for (int x = clipped.left(); x <= clipped.right(); ++x)
                set[std::size_t(y) * std::size_t(size.width()) + std::size_t(x)] = true;
    }
    return set;
}

PixelSet scaledUp(const PixelSet& pixels, QSize size, int factor)
{
    const std::size_t width = std::size_t(size.width()) * std::size_t(factor);
    PixelSet set(pixels.size() * std::size_t(factor) * std::size_t(factor), false);
    for (std::size_t y = 0; y * width < set.size(); ++y)
        for (std::size_t x = 0; x < width; ++x)
            set[y * width + x] = pixels[(y / std::size_t(factor)) * std::size_t(size.width()) +
                                        x / std::size_t(factor)];
    return set;
}

PixelSet pixelsNotOfColour(const QImage& picture, QRgb key)
{
    PixelSet set(std::size_t(picture.width()) * std::size_t(picture.height()), false);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            set[std::size_t(y) * std::size_t(picture.width()) + std::size_t(x)] =
                (picture.pixel(x, y) & RGB_MASK) != (key & RGB_MASK);
    return set;
}

std::string describeDifference(const PixelSet& actual, const PixelSet& expected, QSize size)
{
    if (actual == expected)
        return {};
    if (actual.size() != expected.size())
        return "pixel sets of different sizes";
    std::ostringstream out;
    int count = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] == expected[i])
            continue;
        if (count < 5) {
            out << " (" << i % std::size_t(size.width()) << "," << i / std::size_t(size.width())
                << ") is " << (actual[i] ? "in" : "out");
        }
        ++count;
    }
    return std::to_string(count) + " pixels differ:" + out.str();
}
