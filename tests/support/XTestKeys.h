#pragma once

#include <QString>

// Real key events made by the X server's XTest extension, as a keyboard
// makes them: they reach the program through its X connection like typing.
class XTestKeys {
  public:
    XTestKeys();
    ~XTestKeys();
    XTestKeys(const XTestKeys&) = delete;
    XTestKeys& operator=(const XTestKeys&) = delete;

    // False without an X server or its XTest extension.
    explicit operator bool() const;

    void press(const QString& keysym);
    void release(const QString& keysym);

  private:
    void send(const QString& keysym, bool down);
    void* m_display = nullptr; // Display*
};
