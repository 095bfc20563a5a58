#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QtGlobal>
#include <map>
#include <memory>

class XKeyboard;

// The program's own key-state source for the keys the game polls. It records
// for each watched key whether it is down now and whether it has been pressed
// since the previous query.
//
// On X11 it reads the key events off the X connection before Qt filters them
// for modality, and asks the X server which keys are down before every poll:
// a release must not be lost because the key's own action opened a modal
// window that now blocks the one holding the focus. Elsewhere an
// application-wide event filter sees the key events of every window.
class KeyState : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

  public:
    static constexpr quint16 kDown = 0x8000;
    static constexpr quint16 kPressedSinceQuery = 0x0001;

    // Watches the keys of the game's key table on the running application.
    explicit KeyState(QObject* parent = nullptr);
    ~KeyState() override;

    // kDown and/or kPressedSinceQuery, or 0; clears kPressedSinceQuery.
    quint16 GetAsyncKeyState(Qt::Key key);

    // Drops the down state of keys that the X server says are up; called
    // once before each poll.
    void syncWithServer();

  signals:
    // A watched key went down: the poll may act on it at once.
    void keyWentDown();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    struct Bits {
        bool down = false;
        bool pressed = false;
    };
    void press(int key);
    void release(int key);

    std::map<int, Bits> m_keys;
    // X key codes held down, with the key each meant when it went down: its
    // release ends that key even when the layout changed in between.
    std::map<quint8, int> m_heldCodes;
    std::unique_ptr<XKeyboard> m_x; // null without an X connection
};
