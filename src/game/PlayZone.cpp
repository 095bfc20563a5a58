#include "game/PlayZone.h"

#include "startup/MouseCodes.h"
#include "startup/WindowHelpers.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QMouseEvent>

namespace {

constexpr int kLeftButton = 1;

class PlayZoneAccessible final : public QAccessibleWidget {
  public:
    explicit PlayZoneAccessible(PlayZone* zone) : QAccessibleWidget(zone, QAccessible::Button) {}
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction())
            static_cast<PlayZone*>(widget())->press();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

QAccessibleInterface* playZoneFactory(const QString&, QObject* object)
{
    if (auto* zone = qobject_cast<PlayZone*>(object))
        return new PlayZoneAccessible(zone);
    return nullptr;
}

} // namespace

PlayZone::PlayZone(QWidget* parent) : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(playZoneFactory);
        return true;
    }();
    (void)installed;
    setAttribute(Qt::WA_NoSystemBackground);
}

void PlayZone::press()
{
    Q_EMIT MouseDown(m_index, kLeftButton, 0, 0, 0);
}

void PlayZone::mousePressEvent(QMouseEvent* event)
{
    const QPointF pos = event->position() * Commands::kTwipsPerPixel;
    Q_EMIT MouseDown(m_index, Commands::buttonCode(event->button()),
                     Commands::shiftCode(event->modifiers()), float(pos.x()), float(pos.y()));
    event->accept();
}
