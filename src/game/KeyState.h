#pragma once

#include <QObject>
#include <QtGlobal>
#include <map>

// The program's own key-state source for the keys the game polls. An
// application-wide event filter sees every key event of every window of the
// program, dialogs included, and records for each watched key whether it is
// down now and whether it has been pressed since the previous query.
class KeyState : public QObject {
    Q_OBJECT

  public:
    static constexpr quint16 kDown = 0x8000;
    static constexpr quint16 kPressedSinceQuery = 0x0001;

    // Watches the keys of the game's key table on the running application.
    explicit KeyState(QObject* parent = nullptr);
    ~KeyState() override;

    // kDown and/or kPressedSinceQuery, or 0; clears kPressedSinceQuery.
    quint16 GetAsyncKeyState(Qt::Key key);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Bits {
        bool down = false;
        bool pressed = false;
    };
    std::map<int, Bits> m_keys;
};
