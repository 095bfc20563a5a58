#include "GameFixture.h"

#include "game/PlayZone.h"
#include "startup/Globals.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWindow>

void GameFixture::SetUp()
{
    Commands::Language = 0;
    Commands::TempDir = QStringLiteral("/tmp/vuruz-test/");
    loadWindow();
}

void GameFixture::loadWindow()
{
    window.reset();
    m_game.reset();
    const auto scripted = [this] {
        if (draws.empty())
            return 0.0;
        const double r = draws.front();
        draws.pop_front();
        return r;
    };
    m_game = std::make_unique<ToyGame>(output, scripted, dialogs);
    window = std::make_unique<frmMain>(*m_game);
    window->Form_Load();
    window->tmrRecord->stop();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void GameFixture::TearDown()
{
    window.reset();
    m_game.reset();
}

void GameFixture::press(int zone)
{
    window->PlayButton_MouseDown(zone, 0, 0, 0, 0);
    settle();
}

void GameFixture::poll()
{
    window->tmrRecord_Timer();
    settle();
}

void GameFixture::tick()
{
    window->Timer1_Timer();
    settle();
}

void GameFixture::settle()
{
    // Each sound ends from the event loop; a few turns per sound are plenty.
    for (int turn = 0; turn < 10000 && (m_game->busy() || turn < 3); ++turn)
        QCoreApplication::processEvents();
    ASSERT_FALSE(m_game->busy()) << "the game's steps never ran out";
}

void GameFixture::queueCommands(std::initializer_list<int> commands)
{
    for (const int c : commands)
        draws.push_back((c - 1 + 0.5) / 5.0);
}

void GameFixture::queueRemark(int k, int n)
{
    draws.push_back((k - 1 + 0.5) / n);
}

void GameFixture::startWith(int command)
{
    queueCommands({command});
    press(4);
    output.played.clear();
}

void GameFixture::setSoundMode(qint16 mode)
{
    if (game().SoundMode() != mode)
        press(0);
    output.played.clear();
}

void GameFixture::click(QPoint at, Qt::MouseButton button)
{
    QTest::mouseClick(window->windowHandle(), button, {}, at);
    settle();
}

void GameFixture::postClick(QPoint at, Qt::MouseButton button)
{
    QWindow* handle = window->windowHandle();
    const QPointF local = at;
    QCoreApplication::postEvent(handle, new QMouseEvent(QEvent::MouseButtonPress, local,
                                                        handle->mapToGlobal(local), button, button,
                                                        Qt::NoModifier));
    QCoreApplication::postEvent(handle, new QMouseEvent(QEvent::MouseButtonRelease, local,
                                                        handle->mapToGlobal(local), button,
                                                        Qt::NoButton, Qt::NoModifier));
}

void GameFixture::keyTap(Qt::Key key)
{
    QTest::keyClick(window->windowHandle(), key);
    settle();
}

QPoint GameFixture::zoneCentre(int zone) const
{
    return window->PlayButton[std::size_t(zone)]->geometry().center();
}

QStringList GameFixture::takePlayed()
{
    return std::exchange(output.played, {});
}
