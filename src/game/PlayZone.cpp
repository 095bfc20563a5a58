#include "game/PlayZone.h"

#include "startup/WindowHelpers.h"

#include <QMouseEvent>

PlayZone::PlayZone(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

void PlayZone::mousePressEvent(QMouseEvent* event)
{
    const QPointF pos = event->position() * Commands::kTwipsPerPixel;
    Q_EMIT MouseDown(m_index, buttonCode(event->button()), shiftCode(event->modifiers()),
                     float(pos.x()), float(pos.y()));
    event->accept();
}

int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}
