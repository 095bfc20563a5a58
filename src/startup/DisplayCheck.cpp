#include "startup/DisplayCheck.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace Commands {
namespace {

QtMessageHandler g_previous = nullptr;
bool g_noDisplay = false;

// The platform plugins' warnings while Qt starts, held back: without a
// display they only repeat what the one plain line says.
struct Held {
    QtMsgType type;
    QByteArray category;
    QString message;
};
QList<Held> g_held;

void pass(const Held& held)
{
    const QMessageLogContext context(nullptr, 0, nullptr, held.category.constData());
    if (g_previous)
        g_previous(held.type, context, held.message);
}

void watchStartMessages(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const QByteArrayView category = context.category ? context.category : "";
    if (category.startsWith("qt.qpa.") && type != QtFatalMsg) {
        if (message.contains(QLatin1String("could not connect to display")))
            g_noDisplay = true;
        g_held.append({type, category.toByteArray(), message});
        return;
    }
    if (type == QtFatalMsg && message.contains(QLatin1String("platform plugin"))) {
        if (g_noDisplay) {
            std::fputs("vuruz: no display could be opened (is DISPLAY set?)\n", stderr);
        } else {
            for (const Held& held : g_held)
                pass(held);
            std::fputs("vuruz: the window system could not be started\n", stderr);
        }
        std::_Exit(1);
    }
    if (g_previous)
        g_previous(type, context, message);
}

} // namespace

void exitPlainlyWithoutDisplay()
{
    g_previous = qInstallMessageHandler(watchStartMessages);
}

void endDisplayWatch()
{
    qInstallMessageHandler(g_previous);
    for (const Held& held : g_held)
        pass(held);
    g_held.clear();
}

} // namespace Commands
