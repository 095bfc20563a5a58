#include "startup/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace Commands {

namespace {

constexpr const char* kDecorative = "vuruzDecorative";

// Shown on screen, not to a screen reader.
class DecorativeAccessible final : public QAccessibleWidget {
  public:
    explicit DecorativeAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Graphic)
    {
    }
    QAccessible::State state() const override
    {
        QAccessible::State hidden = QAccessibleWidget::state();
        hidden.invisible = true;
        return hidden;
    }
    QString text(QAccessible::Text) const override { return {}; }
};

QAccessibleInterface* decorativeFactory(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && widget->property(kDecorative).toBool())
        return new DecorativeAccessible(widget);
    return nullptr;
}

} // namespace

void markDecorative(QWidget& widget)
{
    static const bool installed = [] {
        QAccessible::installFactory(decorativeFactory);
        return true;
    }();
    (void)installed;
    widget.setProperty(kDecorative, true);
    // A label's text set while a screen reader listens has made its reader
    // already; the next one asked for is ours.
    if (QAccessible::isActive()) {
        if (QAccessibleInterface* made = QAccessible::queryAccessibleInterface(&widget);
            made && !dynamic_cast<DecorativeAccessible*>(made))
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

} // namespace Commands
