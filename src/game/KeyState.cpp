#include "game/KeyState.h"

#include "game/GameTables.h"
#include "game/XKeyboard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>
#include <set>
#include <xcb/xcb.h>

KeyState::KeyState(QObject* parent) : QObject(parent)
{
    for (const Qt::Key key : Game::kPolledKeys)
        m_keys[key] = {};
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        m_x = XKeyboard::forApplication(Game::kPolledKeys);
        if (m_x)
            QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

KeyState::~KeyState()
{
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
        QCoreApplication::instance()->removeEventFilter(this);
    }
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

void KeyState::syncWithServer()
{
    if (!m_x)
        return;
    // Nothing to correct while no key is down: no round trip to the server.
    if (std::none_of(m_keys.begin(), m_keys.end(), [](const auto& k) { return k.second.down; }))
        return;
    std::set<quint8> codes;
    for (const auto& [code, key] : m_heldCodes)
        codes.insert(code);
    std::set<quint8> down;
    if (!m_x->queryDown(codes, down))
        return;
    // Only ever clears: a key that went down while another program had the
    // keyboard is not ours to act on.
    for (auto it = m_heldCodes.begin(); it != m_heldCodes.end();) {
        if (down.count(it->first)) {
            ++it;
            continue;
        }
        release(it->second);
        it = m_heldCodes.erase(it);
    }
    // A key that Qt's own events pressed but no held code stands for.
    for (auto& [key, bits] : m_keys) {
        if (bits.down && std::none_of(m_heldCodes.begin(), m_heldCodes.end(),
                                      [key = key](const auto& held) { return held.second == key; }))
            bits.down = false;
    }
}

void KeyState::press(int key)
{
    const auto it = m_keys.find(key);
    if (it == m_keys.end() || it->second.down)
        return; // not watched, or a repeat of a held key: no new press
    it->second.down = true;
    it->second.pressed = true;
    emit keyWentDown();
}

void KeyState::release(int key)
{
    if (const auto it = m_keys.find(key); it != m_keys.end())
        it->second.down = false;
}

bool KeyState::nativeEventFilter(const QByteArray& eventType, void* message, qintptr* /*result*/)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto type = event->response_type & 0x7f;
    if (m_x->takeLayoutChange(event))
        return false;
    if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
        return false;
    // Seen here before Qt drops the event for a window that a modal dialog
    // blocks; the event itself goes on to Qt unchanged.
    const auto* keyEvent = static_cast<const xcb_key_press_event_t*>(message);
    if (type == XCB_KEY_PRESS) {
        // A held key repeats with the meaning it went down with.
        if (m_heldCodes.count(keyEvent->detail))
            return false;
        if (const int key = m_x->keyOf(keyEvent->detail, keyEvent->state); key != 0) {
            m_heldCodes[keyEvent->detail] = key;
            press(key);
        }
    } else if (const auto held = m_heldCodes.find(keyEvent->detail); held != m_heldCodes.end()) {
        // The key it was when it went down, whatever the layout says now.
        const int key = held->second;
        m_heldCodes.erase(held);
        release(key);
    }
    return false;
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
        if (event->type() == QEvent::KeyPress)
            press(keyEvent->key());
        else
            release(keyEvent->key());
        break;
    }
    case QEvent::ApplicationDeactivate:
        // The release of a key held while another program takes the keyboard
        // never reaches us; a stuck key would act on every tick.
        for (auto& [key, bits] : m_keys)
            bits.down = false;
        m_heldCodes.clear();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
