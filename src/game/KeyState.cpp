#include "game/KeyState.h"

#include "game/GameTables.h"

#include <QCoreApplication>
#include <QKeyEvent>

KeyState::KeyState(QObject* parent) : QObject(parent)
{
    for (const Qt::Key key : Game::kPolledKeys)
        m_keys[key] = {};
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

KeyState::~KeyState()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

quint16 KeyState::GetAsyncKeyState(Qt::Key key)
{
    const auto it = m_keys.find(key);
    if (it == m_keys.end())
        return 0;
    Bits& bits = it->second;
    const quint16 state = (bits.down ? kDown : 0) | (bits.pressed ? kPressedSinceQuery : 0);
    bits.pressed = false;
    return state;
}

bool KeyState::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // One key event passes the filter once per object it is offered to
        // (window, focus widget, parents); the bits make that harmless.
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (keyEvent->isAutoRepeat())
            break; // a held key stays down; repeats are no new presses
        const auto it = m_keys.find(keyEvent->key());
        if (it == m_keys.end())
            break;
        if (event->type() == QEvent::KeyPress) {
            it->second.down = true;
            it->second.pressed = true;
        } else {
            it->second.down = false;
        }
        break;
    }
    case QEvent::ApplicationDeactivate:
        // The release of a key held while another program takes the keyboard
        // never reaches us; a stuck key would act on every tick.
        for (auto& [key, bits] : m_keys)
            bits.down = false;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
