#include "GameFixture.h"

#include "game/PlayZone.h"
#include "startup/Globals.h"

#include <QCoreApplication>
#include <QTest>
#include <QWindow>

void GameFixture::SetUp()
{
    Commands::TempDir = QStringLiteral("/tmp/vuruz-test/");
    loadWindow();
}

void GameFixture::loadWindow(qint16 language)
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
    m_game = std::make_unique<ToyGame>(scripted, scores);
    window = std::make_unique<frmMain>(*m_game, output, dialogs);
    window->Form_Load();
    timer("tmrRecord").stop();
    m_game->applySettings(800, language);
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
    // Each sound ends from the event loop, and the next one starts there.
    for (int turn = 0; turn < 200; ++turn)
        QCoreApplication::processEvents();
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

void GameFixture::click(QPoint at, Qt::MouseButton button)
{
    QTest::mouseClick(window->windowHandle(), button, {}, at);
    settle();
}

void GameFixture::keyTap(Qt::Key key)
{
    QTest::keyClick(window->windowHandle(), key);
    settle();
}

QTimer& GameFixture::timer(const char* name) const
{
    auto* found = window->findChild<QTimer*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return *found;
}

QPoint GameFixture::zoneCentre(int zone) const
{
    return window->findChild<PlayZone*>(QStringLiteral("PlayButton%1").arg(zone))
        ->geometry()
        .center();
}

QStringList GameFixture::takePlayed()
{
    return std::exchange(output.played, {});
}
