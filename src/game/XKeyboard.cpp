#include "game/XKeyboard.h"

#include <QGuiApplication>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <algorithm>
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

// For a layout without Latin letters (Cyrillic, Greek...): the letter a key
// has on a US keyboard, by its Linux input code (X key code - 8), so that
// the toy plays by the keys' positions.
char positionLetter(quint8 keycode)
{
    const int code = int(keycode) - 8;
    if (code >= 16 && code <= 25)
        return "qwertyuiop"[code - 16];
    if (code >= 30 && code <= 38)
        return "asdfghjkl"[code - 30];
    if (code >= 44 && code <= 50)
        return "zxcvbnm"[code - 44];
    return 0;
}

constexpr int kXkbNewKeyboardNotify = 0;
constexpr int kXkbMapNotify = 1;
constexpr int kMappingNotify = 34;

} // namespace

std::unique_ptr<XKeyboard> XKeyboard::forApplication(std::span<const Qt::Key> keys)
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!app || !app->display() || !app->connection())
        return nullptr;
    std::unique_ptr<XKeyboard> keyboard(new XKeyboard);
    keyboard->m_display = app->display();
    keyboard->m_connection = app->connection();
    for (const Qt::Key key : keys)
        keyboard->m_watched.insert(key);
    // The layout is read at the first key event, not here: start-up pays no
    // round trips for it.
    return keyboard;
}

XKeyboard::~XKeyboard()
{
    if (m_layout)
        XkbFreeKeyboard(static_cast<XkbDescPtr>(m_layout), XkbAllComponentsMask, True);
}

void XKeyboard::readLayout()
{
    m_stale = false;
    auto* display = static_cast<Display*>(m_display);
    if (m_layout)
        XkbFreeKeyboard(static_cast<XkbDescPtr>(m_layout), XkbAllComponentsMask, True);
    m_layout = nullptr;
    m_groupHasLatin.clear();
    m_coreKeyOf.clear();
    if (!m_xkbAsked) {
        m_xkbAsked = true;
        int opcode = 0;
        int eventBase = 0;
        int errorBase = 0;
        int major = XkbMajorVersion;
        int minor = XkbMinorVersion;
        if (XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor)) {
            m_xkbEvent = eventBase;
            // A held key repeats as presses alone, not as releases and presses
            // that would read it anew under a layout switched meanwhile.
            Bool supported = False;
            XkbSetDetectableAutoRepeat(display, True, &supported);
        }
    }
    if (m_xkbEvent >= 0)
        m_layout = XkbGetMap(display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    auto* layout = static_cast<XkbDescPtr>(m_layout);
    if (!layout) {
        // No XKB: the core mapping as it stands now.
        for (const int key : m_watched) {
            if (const KeyCode code = XKeysymToKeycode(display, keysymOf(Qt::Key(key))); code != 0)
                m_coreKeyOf[quint8(code)] = key;
        }
        return;
    }
    m_groupHasLatin.assign(XkbNumKbdGroups, false);
    for (int code = layout->min_key_code; code <= layout->max_key_code; ++code) {
        for (int group = 0; group < XkbKeyNumGroups(layout, code); ++group) {
            const KeySym sym = XkbKeySymEntry(layout, code, 0, group);
            if (sym >= XK_a && sym <= XK_z)
                m_groupHasLatin[std::size_t(group)] = true;
        }
    }
}

int XKeyboard::latinKey(unsigned long keysym) const
{
    KeySym lower = 0;
    KeySym upper = 0;
    XConvertCase(keysym, &lower, &upper);
    int key = 0;
    if (lower >= XK_a && lower <= XK_z)
        key = Qt::Key_A + int(lower - XK_a);
    else if (lower == XK_space)
        key = Qt::Key_Space;
    else if (lower == XK_Escape)
        key = Qt::Key_Escape;
    return m_watched.count(key) ? key : 0;
}

int XKeyboard::keyOf(quint8 keycode, quint16 state)
{
    if (m_stale)
        readLayout();
    auto* layout = static_cast<XkbDescPtr>(m_layout);
    if (!layout) {
        const auto it = m_coreKeyOf.find(keycode);
        return it == m_coreKeyOf.end() ? 0 : it->second;
    }
    if (keycode < layout->min_key_code || keycode > layout->max_key_code)
        return 0;
    const int groups = XkbKeyNumGroups(layout, keycode);
    if (groups == 0)
        return 0;
    // The event's own group, folded into the key's groups as the server does
    // it; the shift level is left out so that Shift or Caps Lock change nothing.
    unsigned int usedMods = 0;
    KeySym sym = NoSymbol;
    XkbTranslateKeyCode(layout, keycode, XkbBuildCoreState(0, XkbGroupForCoreState(state)),
                        &usedMods, &sym);
    if (const int key = latinKey(sym); key != 0 || (sym >= XK_a && sym <= XK_z))
        return key;
    const int group = std::min(int(XkbGroupForCoreState(state)), groups - 1);
    if (group < int(m_groupHasLatin.size()) && m_groupHasLatin[std::size_t(group)])
        return 0; // a Latin layout: this key is simply another one
    // A group without Latin letters: the key's letter in the first Latin group
    // of the layout, or else its letter by position on a US keyboard.
    for (int other = 0; other < groups; ++other) {
        if (other < int(m_groupHasLatin.size()) && m_groupHasLatin[std::size_t(other)])
            return latinKey(XkbKeySymEntry(layout, keycode, 0, other));
    }
    if (const char letter = positionLetter(keycode); letter != 0)
        return latinKey(XK_a + (letter - 'a'));
    return 0;
}

bool XKeyboard::takeLayoutChange(const void* xcbEvent)
{
    const auto* event = static_cast<const xcb_generic_event_t*>(xcbEvent);
    const int type = event->response_type & 0x7f;
    bool change = type == kMappingNotify;
    if (m_xkbEvent >= 0 && type == m_xkbEvent) {
        // XKB's own events carry their kind in the second byte.
        const int xkbType = event->pad0;
        change = xkbType == kXkbNewKeyboardNotify || xkbType == kXkbMapNotify;
    }
    if (change)
        m_stale = true;
    return change;
}

bool XKeyboard::queryDown(const std::set<quint8>& codes, std::set<quint8>& down) const
{
    auto* connection = static_cast<xcb_connection_t*>(m_connection);
    xcb_query_keymap_reply_t* reply =
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (!reply)
        return false;
    for (const quint8 code : codes) {
        if ((reply->keys[code / 8] >> (code % 8)) & 1)
            down.insert(code);
    }
    free(reply);
    return true;
}
