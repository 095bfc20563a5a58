#pragma once

#include <QtGlobal>
#include <map>
#include <memory>
#include <qnamespace.h>
#include <span>

// The X server's view of the keyboard for a few Qt keys: which key code each
// has on this server, and which of them are down right now.
class XKeyboard {
  public:
    // Null when the application does not run on an X server.
    static std::unique_ptr<XKeyboard> forApplication(std::span<const Qt::Key> keys);

    // The Qt key of an X key code, or 0 for a key not watched.
    int keyOf(quint8 keycode) const;
    // Qt keys among the watched that the server reports down; false when the
    // server could not be asked.
    bool queryDown(std::map<int, bool>& down) const;

  private:
    XKeyboard() = default;
    void* m_connection = nullptr;  // xcb_connection_t*
    std::map<quint8, int> m_keyOf; // X key code to Qt key
};
