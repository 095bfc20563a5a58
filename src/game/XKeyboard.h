#pragma once

#include <QtGlobal>
#include <map>
#include <memory>
#include <qnamespace.h>
#include <set>
#include <span>
#include <vector>

// The X server's view of the keyboard for a few Qt keys: what each key code
// means under the live layout and group, and which key codes are down.
class XKeyboard {
  public:
    // Null when the application does not run on an X server.
    static std::unique_ptr<XKeyboard> forApplication(std::span<const Qt::Key> keys);
    ~XKeyboard();

    // The watched Qt key that a key event means, from its key code and its
    // state field (which carries the keyboard group), or 0.
    int keyOf(quint8 keycode, quint16 state);
    // True for an event that changes what key codes mean (a new layout, a
    // new mapping); the next keyOf() reads the layout again.
    bool takeLayoutChange(const void* xcbEvent);
    // The key codes among `codes` that the server reports down; false when
    // the server could not be asked.
    bool queryDown(const std::set<quint8>& codes, std::set<quint8>& down) const;

  private:
    XKeyboard() = default;
    void readLayout();
    int latinKey(unsigned long keysym) const;

    void* m_display = nullptr;    // Display*
    void* m_connection = nullptr; // xcb_connection_t*
    void* m_layout = nullptr;     // XkbDescPtr, null without XKB
    bool m_stale = true;
    bool m_xkbAsked = false;
    int m_xkbEvent = -1;               // first XKB event code, -1 without XKB
    std::set<int> m_watched;           // Qt keys
    std::map<quint8, int> m_coreKeyOf; // without XKB: key code to Qt key
    std::vector<bool> m_groupHasLatin; // per group of the layout
};
