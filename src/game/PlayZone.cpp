#include "game/PlayZone.h"

#include "startup/MouseCodes.h"
#include "startup/WindowHelpers.h"

#include <QMouseEvent>

PlayZone::PlayZone(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

void PlayZone::mousePressEvent(QMouseEvent* event)
{
    const QPointF pos = event->position() * Commands::kTwipsPerPixel;
    Q_EMIT MouseDown(m_index, Commands::buttonCode(event->button()),
                     Commands::shiftCode(event->modifiers()), float(pos.x()), float(pos.y()));
    event->accept();
}
