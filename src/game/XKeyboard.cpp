#include "game/XKeyboard.h"

#include <QGuiApplication>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <xcb/xcb.h>

namespace {

// Letters and the two other keys the game reads; X names letters in lower case.
KeySym keysymOf(Qt::Key key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return XK_a + (key - Qt::Key_A);
    switch (key) {
    case Qt::Key_Space:
        return XK_space;
    case Qt::Key_Escape:
        return XK_Escape;
    default:
        return NoSymbol;
    }
}

} // namespace

std::unique_ptr<XKeyboard> XKeyboard::forApplication(std::span<const Qt::Key> keys)
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!app || !app->display() || !app->connection())
        return nullptr;
    std::unique_ptr<XKeyboard> keyboard(new XKeyboard);
    keyboard->m_connection = app->connection();
    for (const Qt::Key key : keys) {
        const KeySym sym = keysymOf(key);
        if (sym == NoSymbol)
            continue;
        if (const KeyCode code = XKeysymToKeycode(app->display(), sym); code != 0)
            keyboard->m_keyOf[quint8(code)] = key;
    }
    return keyboard;
}

int XKeyboard::keyOf(quint8 keycode) const
{
    const auto it = m_keyOf.find(keycode);
    return it == m_keyOf.end() ? 0 : it->second;
}

bool XKeyboard::queryDown(std::map<int, bool>& down) const
{
    auto* connection = static_cast<xcb_connection_t*>(m_connection);
    xcb_query_keymap_reply_t* reply =
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!reply)
        return false;
    for (const auto& [code, key] : m_keyOf)
        down[key] = (reply->keys[code / 8] >> (code % 8)) & 1;
    free(reply);
    return true;
}
