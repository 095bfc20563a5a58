#pragma once

#include <QImage>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct _XDisplay; // Xlib's Display

// The X display seen from outside, as a player's input and eyes: xdotool for
// real input events (XTest) and window look-ups, Xlib for shapes and stacking.
namespace XSession {

QString run(const QString& program, const QStringList& args, int timeoutMs = 10000);

// Makes a process started by the test die with it, so that nothing it
// started outlives a test that crashed (and holds the test runner's output).
void dieWithTest(QProcess& process);

// Top-level windows of a process that are mapped, found by their _NET_WM_PID.
QList<qulonglong> windowsOf(qint64 pid);
std::optional<qulonglong> waitForWindow(qint64 pid, int timeoutMs, const QRect& sizeLike = QRect());
std::optional<qulonglong> waitForWindowNamed(const QString& name, int timeoutMs);
std::optional<qulonglong> waitForWindowOfClass(const QString& windowClass, int timeoutMs);
bool waitForWindowGone(qulonglong window, int timeoutMs);

QRect geometry(qulonglong window); // position on the screen and size
QRegion boundingShape(qulonglong window);
QList<QSize> iconSizes(qulonglong window); // of the icons it gives the task bar
QList<qulonglong> stackingOrder();         // bottom to top, from the window manager
QRect screen();
// What the screen shows in `area`, as a player sees it.
QImage grab(const QRect& area);
// True while a compositing manager runs on the screen.
bool compositorRuns();

void click(int x, int y, int button = 1);
void press(int x, int y, int button = 1);
void release(int button = 1);
void moveTo(int x, int y);
void key(const QString& keysym);
// A key held down for holdMs (0: a tap) by XTest, as a keyboard would.
void holdKey(const QString& keysym, int holdMs);
// Asks a window to close the way its close box does (WM_DELETE_WINDOW).
void requestClose(qulonglong window);
void type(const QString& text);
void activate(qulonglong window);

// While it lives, the functions here, the X tools they run and the programs
// the test starts work on another X server; the test's own Qt stays where it
// is.
class OnDisplay {
  public:
    explicit OnDisplay(const QString& name);
    ~OnDisplay();
    OnDisplay(const OnDisplay&) = delete;
    OnDisplay& operator=(const OnDisplay&) = delete;
    bool opened() const { return m_display != nullptr; }

  private:
    QByteArray m_previousName;
    ::_XDisplay* m_display = nullptr;
};

// A small window manager, so that stacking means something on Xvfb.
class WindowManager {
  public:
    WindowManager();
    ~WindowManager();
    bool running() const;

  private:
    std::unique_ptr<QProcess> m_process;
};

} // namespace XSession
