#include "shape/Transparent.h"

#include "shape/DesktopBlend.h"
#include "shape/OleColor.h"
#include "shape/OutlineRegion.h"
#include "startup/MouseCodes.h"
#include "startup/WindowHelpers.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWindow>

namespace {

// Buttons held during a move, in the same code as a single button.
int heldButtonsCode(Qt::MouseButtons buttons)
{
    int code = 0;
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        if (buttons.testFlag(button))
            code |= Commands::buttonCode(button);
    }
    return code;
}

QPointF toTwips(const QPointF& pixels)
{
    return pixels * Commands::kTwipsPerPixel;
}

} // namespace

Transparent::Transparent(QWidget* parent) : QWidget(parent)
{
    // Moves are reported with or without a button held.
    setMouseTracking(true);
}

QPixmap Transparent::MaskPicture() const
{
    return m_maskPicture;
}

void Transparent::setMaskPicture(const QPixmap& picture)
{
    m_maskPicture = picture;
    ApplyMaskShape();
    m_picture = picture;
    update();
    Q_EMIT PropertyChanged(QStringLiteral("MaskPicture"));
}

quint32 Transparent::MaskColor() const
{
    return m_maskColor;
}

void Transparent::setMaskColor(quint32 oleColor)
{
    m_maskColor = oleColor;
    ApplyMaskShape();
    Q_EMIT PropertyChanged(QStringLiteral("MaskColor"));
}

void Transparent::ApplyMaskShape()
{
    if (m_maskPicture.isNull())
        return;

    // A picture drawn for a denser screen still covers its logical size.
    resize(m_maskPicture.deviceIndependentSize().toSize());
    QWidget* const container = window();
    if (container != this) {
        container->resize(size());
        move(0, 0);
    }

    const QRgb key = Shape::resolveOleColor(m_maskColor, palette());
    QRegion region = Shape::outlineRegion(m_maskPicture.toImage(), key);
    // An empty mask would make Qt drop the shape and show the whole window;
    // a region wholly outside the window leaves nothing of it, as asked.
    if (region.isEmpty())
        region = QRegion(-1, -1, 1, 1);
    container->setMask(region);
    // The window's shape is kept in device pixels: on a screen of another
    // scale it is set again, also when the outline in logical pixels is the
    // same one (which the widget would take for no change).
    if (QWindow* handle = container->windowHandle())
        handle->setMask(region);
    if (container != this)
        blendWithDesktop(*container);
}

void Transparent::blendWithDesktop(QWidget& container)
{
    // A window takes its translucency when it is made, before it is shown;
    // one that may ever be blended is made translucent, so that it can take
    // its soft edge when a compositing manager starts later.
    if (!container.testAttribute(Qt::WA_WState_Created) && Shape::desktopCanBlend())
        container.setAttribute(Qt::WA_TranslucentBackground);
    if (!container.testAttribute(Qt::WA_TranslucentBackground))
        return;
    if (!m_blendWatch) {
        m_blendWatch = new Shape::BlendWatch(this);
        connect(
            m_blendWatch, &Shape::BlendWatch::blendsChanged, this,
            [this, window = &container](bool blends) {
                showDesktopPicture();
                // A compositing manager takes the windows over a moment after
                // it says it runs, and what was drawn in between never reaches
                // it: the picture is drawn again once it has.
                if (blends) {
                    for (const int ms : {300, 1500})
                        QTimer::singleShot(ms, window, [window] { window->update(); });
                }
            },
            Qt::QueuedConnection);
    }
    Shape::drawAsItIs(container);
    showDesktopPicture();
}

void Transparent::showDesktopPicture()
{
    // The shape stays the outline: clicks beside the toy go to what lies
    // beneath, and the soft edge blends only the outline's own pixels. With
    // nothing to blend them, the X server would show those pixels darkened
    // by their own coverage, so the hard picture is shown instead.
    QPixmap shown = m_maskPicture;
    if (m_blendWatch->blends()) {
        const QPixmap soft =
            Shape::softEdgePicture(m_maskPicture, Shape::resolveOleColor(m_maskColor, palette()));
        if (!soft.isNull())
            shown = soft;
    }
    Q_EMIT DesktopPicture(shown);
}

void Transparent::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}

void Transparent::mousePressEvent(QMouseEvent* event)
{
    const QPointF pos = toTwips(event->position());
    Q_EMIT MouseDown(Commands::buttonCode(event->button()), Commands::shiftCode(event->modifiers()),
                     float(pos.x()), float(pos.y()));
}

void Transparent::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF pos = toTwips(event->position());
    Q_EMIT MouseMove(heldButtonsCode(event->buttons()), Commands::shiftCode(event->modifiers()),
                     float(pos.x()), float(pos.y()));
}

void Transparent::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF pos = toTwips(event->position());
    Q_EMIT MouseUp(Commands::buttonCode(event->button()), Commands::shiftCode(event->modifiers()),
                   float(pos.x()), float(pos.y()));
}
