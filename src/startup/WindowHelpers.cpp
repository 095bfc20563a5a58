#include "startup/WindowHelpers.h"

#include "startup/NumberText.h"
#include "startup/WindowManagerHints.h"

#include <QDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace Commands {

QPoint centeredPosition(int screenWidthTwips, int screenHeightTwips, int formWidthTwips,
                        int formHeightTwips)
{
    // Centred across, and centred in height within the upper 85 % of the screen.
    const int usableHeight = toInt32(screenHeightTwips * 0.85).value_or(0);
    int top = usableHeight / 2 - formHeightTwips / 2;
    int left = screenWidthTwips / 2 - formWidthTwips / 2;
    if (top < 0)
        top = 0;
    if (left < 0)
        left = 0;
    return {left, top};
}

namespace {

// The screen that `by` stands on: the one under its middle, as a player
// sees it, else the one Qt gives its window, else the primary one.
const QScreen* screenOf(const QWidget& by)
{
    if (const QScreen* under = QGuiApplication::screenAt(by.frameGeometry().center()))
        return under;
    if (const QScreen* own = by.screen())
        return own;
    return QGuiApplication::primaryScreen();
}

} // namespace

void CenterForm(QWidget& form, const QWidget* over)
{
    // A dialog goes over the screen of the window that opened it (the toy),
    // which may be another one than the primary screen.
    if (!over)
        over = form.parentWidget() ? form.parentWidget()->window() : &form;
    const QScreen* screen = screenOf(*over);
    if (!screen)
        return;
    // The whole screen, as the classic Screen object gives it, not the area
    // left free by panels.
    const QRect area = screen->geometry();
    const QSize formSize = form.frameGeometry().size();
    const QPoint twips =
        centeredPosition(area.width() * kTwipsPerPixel, area.height() * kTwipsPerPixel,
                         formSize.width() * kTwipsPerPixel, formSize.height() * kTwipsPerPixel);
    const int left = int(std::lround(double(twips.x()) / kTwipsPerPixel));
    const int top = int(std::lround(double(twips.y()) / kTwipsPerPixel));
    form.move(area.topLeft() + QPoint(left, top));
}

void SetTopmost(QWidget& form)
{
    if (!form.windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        if (QWindow* window = form.windowHandle(); window && form.isVisible()) {
            // Changing the widget's flags would tear down and re-create the
            // shown window; the native window takes the new stacking in place.
            const Qt::WindowFlags flags = form.windowFlags() | Qt::WindowStaysOnTopHint;
            window->setFlags(flags);
            form.overrideWindowFlags(flags);
        } else {
            form.setWindowFlag(Qt::WindowStaysOnTopHint, true);
        }
    }
}

namespace {

// Window managers read a window's states as it is mapped; the states Qt sets
// itself are merged with these then.
class TaskbarKeeper final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            Hints::skipTaskbar(static_cast<QWidget*>(watched)->winId());
        return QObject::eventFilter(watched, event);
    }
};

class EscapeKeeper final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The dialog sees a key its children left alone; it would reject itself.
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            event->accept();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void keepOffTaskbar(QWidget& window)
{
    window.installEventFilter(new TaskbarKeeper(&window));
}

QPoint wholeOnAScreen(const QRect& frame, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return frame.topLeft();
    for (const QRect& screen : screens) {
        if (screen.contains(frame))
            return frame.topLeft();
    }
    const QRect* most = &screens.front();
    qint64 mostArea = 0;
    for (const QRect& screen : screens) {
        const QRect covered = screen & frame;
        const qint64 area = covered.isEmpty() ? 0 : qint64(covered.width()) * covered.height();
        if (area > mostArea) {
            mostArea = area;
            most = &screen;
        }
    }
    const int left = std::clamp(frame.left(), most->left(),
                                std::max(most->left(), most->right() + 1 - frame.width()));
    const int top = std::clamp(frame.top(), most->top(),
                               std::max(most->top(), most->bottom() + 1 - frame.height()));
    return {left, top};
}

void bringToPlayer(QWidget& window)
{
    Hints::toCurrentDesktop(window.winId());
    window.showNormal();
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QRect frame = window.frameGeometry();
    const QPoint to = wholeOnAScreen(frame, screens);
    if (to != frame.topLeft())
        window.move(window.pos() + (to - frame.topLeft()));
    window.raise();
    window.activateWindow();
    Hints::askFocusForPlayer(window.winId());
}

void keepOpenOnEscape(QDialog& dialog)
{
    dialog.installEventFilter(new EscapeKeeper(&dialog));
}

} // namespace Commands
