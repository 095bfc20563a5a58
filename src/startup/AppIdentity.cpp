#include "startup/AppIdentity.h"

#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QTimer>

namespace Commands {
namespace {

const QString kDesktopId = QStringLiteral("de.wendrake.vuruz");
constexpr int kIconDelayMs = 200;

QPixmap builtInPicture(const QString& path, const char* format)
{
    // Read by its own format: guessing would load every image plugin.
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon builtInIcon()
{
    QIcon icon;
    icon.addPixmap(builtInPicture(QStringLiteral(":/BITMAP/icon.ico"), "ico"));
    icon.addPixmap(builtInPicture(QStringLiteral(":/BITMAP/icon.png"), "png"));
    return icon;
}

} // namespace

void setAppIdentity()
{
    // No display name: Qt would append it to every window's title, and the
    // titles are the captions alone. The desktop entry and the window class
    // (the program's name, "vuruz", as the entry's StartupWMClass says) tie
    // the windows to the game.
    QGuiApplication::setDesktopFileName(kDesktopId);
    // Looking through the icon theme's folders takes longer than showing the
    // toy; the task bar can wait for it a moment.
    QTimer::singleShot(kIconDelayMs, qGuiApp, [] {
        QGuiApplication::setWindowIcon(QIcon::fromTheme(kDesktopId, builtInIcon()));
    });
}

} // namespace Commands
