#include "game/KeyState.h"

#include "game/XKeyboard.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <algorithm>
#include <array>
#include <set>
#include <xcb/xcb.h>

namespace {

// Game::Key order.
constexpr std::array<Qt::Key, Game::kKeyCount> kQtKeys{
    Qt::Key_T, Qt::Key_R, Qt::Key_D, Qt::Key_Z,     Qt::Key_K, Qt::Key_F,
    Qt::Key_S, Qt::Key_P, Qt::Key_B, Qt::Key_Space, Qt::Key_H, Qt::Key_Escape};

} // namespace

Qt::Key KeyState::qtKey(Game::Key key)
{
    return kQtKeys[std::size_t(key)];
}

std::optional<Game::Key> KeyState::gameKey(int qtKey)
{
    const auto it = std::find(kQtKeys.begin(), kQtKeys.end(), qtKey);
    if (it == kQtKeys.end())
        return std::nullopt;
    return Game::Key(it - kQtKeys.begin());
}

KeyState::KeyState(QObject* parent) : QObject(parent)
{
    for (const Qt::Key key : kQtKeys)
        m_down[key] = false;
    if (QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        m_x = XKeyboard::forApplication(kQtKeys);
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

void KeyState::syncWithServer()
{
    if (!m_x)
        return;
    // Nothing to correct while no key is down: no round trip to the server.
    if (std::none_of(m_down.begin(), m_down.end(), [](const auto& k) { return k.second; }))
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
    for (const auto& [key, down] : m_down) {
        if (down && std::none_of(m_heldCodes.begin(), m_heldCodes.end(),
                                 [key = key](const auto& held) { return held.second == key; }))
            release(key);
    }
}

void KeyState::press(int key)
{
    const auto it = m_down.find(key);
    if (it == m_down.end() || it->second)
        return; // not watched, or a repeat of a held key: no new press
    it->second = true;
    emit keyDown(*gameKey(key));
}

void KeyState::release(int key)
{
    const auto it = m_down.find(key);
    if (it == m_down.end() || !it->second)
        return;
    it->second = false;
    emit keyUp(*gameKey(key));
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
        // (window, focus widget, parents); only its first pass changes anything.
        const auto* keyEvent = static_cast<QKeyEvent*>(event);
        if (keyEvent->isAutoRepeat())
            break; // a held key stays down; repeats are no new presses
        // On X the key was read off the connection already; Qt's copy of it,
        // delivered later, would press a quick tap a second time after its
        // release. Only events no X key stands behind count here.
        if (m_x && keyEvent->nativeScanCode() != 0)
            break;
        if (event->type() == QEvent::KeyPress)
            press(keyEvent->key());
        else
            release(keyEvent->key());
        break;
    }
    case QEvent::ApplicationDeactivate:
        // The release of a key held while another program takes the keyboard
        // never reaches us; a stuck key would act on every tick.
        m_heldCodes.clear();
        for (const auto& [key, down] : m_down)
            release(key);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
