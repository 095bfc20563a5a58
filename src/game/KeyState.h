#pragma once

#include "game/GameTables.h"

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QtGlobal>
#include <map>
#include <memory>
#include <optional>

class XKeyboard;

// The keyboard as the game sees it: each watched key going down and up,
// whichever window of the program has the focus.
//
// On X11 it reads the key events off the X connection before Qt filters them
// for modality, and asks the X server which keys are down before every poll:
// a release must not be lost because the key's own action opened a modal
// window that now blocks the one holding the focus. Elsewhere an
// application-wide event filter sees the key events of every window.
class KeyState : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

  public:
    // Watches the keys of the game's key table on the running application.
    explicit KeyState(QObject* parent = nullptr);
    ~KeyState() override;

    // Releases the keys that the X server says are up; called once before
    // each poll.
    void syncWithServer();

    // The Qt key of a game key, and back (nullopt for a key the game does
    // not read).
    static Qt::Key qtKey(Game::Key key);
    static std::optional<Game::Key> gameKey(int qtKey);

  signals:
    // A watched key went down (not a repeat), or came up.
    void keyDown(Game::Key key);
    void keyUp(Game::Key key);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void press(int key);
    void release(int key);

    std::map<int, bool> m_down; // watched Qt key: down
    // X key codes held down, with the key each meant when it went down: its
    // release ends that key even when the layout changed in between.
    std::map<quint8, int> m_heldCodes;
    std::unique_ptr<XKeyboard> m_x; // null without an X connection
};
