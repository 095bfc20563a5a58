#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPixmap>
#include <QRgb>

class QWidget;

namespace Shape {

// True where a window can ever be blended with what lies behind it: on X,
// where a compositing manager may start at any time, and on Wayland.
bool desktopCanBlend();

// True where the desktop blends windows with what lies behind them: a
// compositing manager runs on the X screen, or the program runs on Wayland.
// There a window may have soft, partly transparent edges.
bool desktopBlends();

// The picture with its soft edge: the same pixels, each with the coverage
// that its fourth byte carries (the artwork script writes it). Null for a
// picture that has no such edge: one where a pixel of the outline (not the
// mask colour) is wholly transparent, or no pixel outside it is.
QPixmap softEdgePicture(const QPixmap& picture, QRgb maskColour);

// Asks an X compositing manager to draw the window as it is: no shadow (the
// ones here shade a window's whole rectangle, whatever its shape or its
// alpha) and never faded (_NET_WM_WINDOW_OPACITY wholly opaque). The frame a
// window manager wraps it in, now or later, is asked the same. Makes the
// window's native window if it has none yet.
void drawAsItIs(QWidget& window);

// Follows desktopBlends() as a compositing manager starts or stops while the
// program runs, from the selection owner changes the X server reports.
class BlendWatch : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

  public:
    explicit BlendWatch(QObject* parent = nullptr);
    ~BlendWatch() override;

    bool blends() const { return m_blends; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  Q_SIGNALS:
    // Emitted from the event that told of it; connect with a queued
    // connection to repaint.
    void blendsChanged(bool blends);

  private:
    bool m_blends = false;
    quint32 m_selection = 0;
    int m_notifyEvent = -1;
};

} // namespace Shape
