// The real program, watched and played from outside as a player would: real
// X input events, its windows as the X server sees them, and the sounds it
// gives out as SDL's disk driver writes them.
#include "AudioTimeline.h"
#include "ProgramUnderTest.h"
#include "ToyPicture.h"
#include "XSession.h"
#include "startup/WindowHelpers.h"
#include "support/QtPrinters.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QWidget>
#include <QtEndian>
#include <algorithm>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <map>

namespace {

using namespace XSession;

const QRect kToySize(0, 0, 549, 550);
const QRect kOptionsSize(0, 0, 379, 432);
const QByteArray kSection = "[Wendrake Vuruz Erireviru Simulator]\r\n";

// Each command sound and the zone that answers it.
const std::map<QString, int>& commandZones()
{
    static const std::map<QString, int> zones = {
        {"CMDVM_TIPPEN", 0},  {"CMDVM_ROLLEN", 1}, {"CMDVM_DREHEN", 2}, {"CMDVM_ZIEHEN", 3},
        {"CMDVM_KLOPFEN", 4}, {"FLICK-IT", 0},     {"SPIN-IT", 1},      {"TWIST-IT", 2},
        {"PULL-IT", 3},       {"ZOK-IT", 4},       {"CMDSM_TIPPEN", 0}, {"CMDSM_ROLLEN", 1},
        {"CMDSM_DREHEN", 2},  {"CMDSM_ZIEHEN", 3}, {"CMDSM_KLOPFEN", 4}};
    return zones;
}
const QStringList kAnswerSounds = {"SNDTIPPEN", "SNDROLLEN", "SNDDREHEN", "SNDZIEHEN",
                                   "SNDKLOPFEN"};
const QStringList kGermanVoice = {"CMDVM_TIPPEN", "CMDVM_ROLLEN", "CMDVM_DREHEN", "CMDVM_ZIEHEN",
                                  "CMDVM_KLOPFEN"};
const QStringList kEnglishVoice = {"FLICK-IT", "SPIN-IT", "TWIST-IT", "PULL-IT", "ZOK-IT"};
const QStringList kEnglishKeys = {"f", "s", "t", "p", "b"};

QByteArray record(const QByteArray& name, qint16 points)
{
    QByteArray r = name.leftJustified(20, ' ', true);
    r.append(char(points & 0xFF)).append(char((points >> 8) & 0xFF));
    return r;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(25);
    }
    return true;
}

class EndToEnd : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs a real X server";
        if (run("xdotool", {"version"}).isEmpty())
            GTEST_SKIP() << "needs xdotool";
        ASSERT_TRUE(m_toy.loaded());
        ASSERT_TRUE(s_windowManager && s_windowManager->running());
    }

    static void SetUpTestSuite()
    {
        if (QGuiApplication::platformName() == QLatin1String("xcb"))
            s_windowManager = std::make_unique<WindowManager>();
    }
    static void TearDownTestSuite() { s_windowManager.reset(); }

    void TearDown() override
    {
        for (auto& p : m_running) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    // Starts the program and waits for the toy to stand on the screen.
    qulonglong startToy()
    {
        m_running.push_back(m_program.start());
        const auto window = waitForWindow(m_running.back()->processId(), 15000, kToySize);
        if (!window) {
            QString seen;
            for (qulonglong w : windowsOf(m_running.back()->processId())) {
                const QRect g = geometry(w);
                seen += QStringLiteral(" %1:%2x%3").arg(w).arg(g.width()).arg(g.height());
            }
            ADD_FAILURE() << "the toy window did not appear; state " << m_running.back()->state()
                          << ", windows" << seen.toStdString() << ", stderr "
                          << m_running.back()->readAllStandardError().toStdString();
        }
        return window.value_or(0);
    }
    QProcess& process() { return *m_running.back(); }

    static bool canRunTwoMonitors()
    {
        return !QStandardPaths::findExecutable("Xorg").isEmpty() &&
               !QStandardPaths::findExecutable("xrandr").isEmpty() &&
               QFile::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so");
    }

    // An X server with two monitors side by side, as a desktop with two
    // screens shows them: Xorg's dummy driver with one 2560x1024 screen, cut
    // in two by RandR monitors. Its display name, or empty.
    static QString startTwoMonitors(QProcess& xorg, const QTemporaryDir& folder)
    {
        QFile config(folder.filePath("xorg.conf"));
        if (!config.open(QIODevice::WriteOnly))
            return {};
        config.write(
            "Section \"Device\"\n Identifier \"d\"\n Driver \"dummy\"\n VideoRam 256000\n"
            "EndSection\nSection \"Monitor\"\n Identifier \"m\"\n HorizSync 5.0-1000.0\n"
            " VertRefresh 5.0-200.0\n Modeline \"2560x1024\" 220.0 2560 2600 2640 2700 1024"
            " 1030 1035 1040\nEndSection\nSection \"Screen\"\n Identifier \"s\"\n"
            " Device \"d\"\n Monitor \"m\"\n DefaultDepth 24\n SubSection \"Display\"\n"
            "  Depth 24\n  Modes \"2560x1024\"\n EndSubSection\nEndSection\n");
        config.close();
        dieWithTest(xorg);
        xorg.setStandardErrorFile(QProcess::nullDevice());
        xorg.start("Xorg", {"-config", config.fileName(), "-displayfd", "1", "-noreset",
                            "-nolisten", "tcp", "-logfile", folder.filePath("xorg.log")});
        if (!waitUntil(
                [&] {
                    xorg.waitForReadyRead(100);
                    return xorg.canReadLine() || xorg.state() != QProcess::Running;
                },
                10000))
            return {};
        const QString number = QString::fromLatin1(xorg.readLine()).trimmed();
        if (number.isEmpty())
            return {};
        const QString display = ":" + number;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        const auto xrandr = [&](const QStringList& args) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start("xrandr", args);
            p.waitForFinished(10000);
            return QString::fromLocal8Bit(p.readAllStandardOutput());
        };
        const QString output = xrandr({"--listmonitors"}).section(' ', -1).trimmed();
        xrandr({"--setmonitor", "left", "1280/339x1024/271+0+0", output});
        xrandr({"--setmonitor", "right", "1280/339x1024/271+1280+0", "none"});
        return xrandr({"--listmonitors"}).startsWith("Monitors: 2") ? display : QString();
    }

    QPoint onScreen(qulonglong window, QPoint p) { return geometry(window).topLeft() + p; }
    void pressZone(qulonglong window, int zone, int button = 1)
    {
        const QPoint p = onScreen(window, m_toy.zonePoint(zone));
        click(p.x(), p.y(), button);
    }

    std::optional<qulonglong> waitForDialog(int timeoutMs)
    {
        return waitForWindow(process().processId(), timeoutMs, kOptionsSize);
    }

    // Gives a command and answers it (right or wrong) through `answer`,
    // returning the command heard.
    QString nextCommand(AudioTimeline& audio, qsizetype& seen, const QStringList& commands)
    {
        const auto command = audio.waitFor(commands, seen, 15000);
        EXPECT_TRUE(command.has_value())
            << "no command heard after " << audio.names().join(' ').toStdString();
        if (!command)
            return {};
        // The answer counts only once the beat under the command has started.
        const auto beat = audio.waitFor({"RHYRHYTHM1"}, seen, 5000);
        EXPECT_TRUE(beat.has_value());
        seen = audio.count();
        return command->name;
    }

    // Stacking, focus and closing a window by its close box need a window
    // manager; bare Xvfb has none.
    static inline std::unique_ptr<WindowManager> s_windowManager;
    ProgramUnderTest m_program;
    ToyPicture m_toy;
    std::vector<std::unique_ptr<QProcess>> m_running;
};

// A key whose own action opens a modal window, tapped or held down with real
// key events: every press opens exactly one window, and once it is closed
// nothing opens again, so no key was left down behind the modal window.
TEST_F(EndToEnd, aKeyThatOpensAWindowOpensItOnceAndNeverSticks)
{
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);
    // Each trial waits out six polls twice, so the suite runs a few per key;
    // VURUZ_KEY_TRIALS=50 (the long runs, e2e_key_trials) makes 200 presses per key.
    const int trials = qEnvironmentVariableIsSet("VURUZ_KEY_TRIALS")
                           ? qEnvironmentVariableIntValue("VURUZ_KEY_TRIALS")
                           : 12;
    const int holds[] = {0, 60, 150}; // ms: a tap, a short and a long hold
    // Escape breaks off and opens the options, R the options from the idle
    // menu, D and H the high-score table.
    for (const QString& keysym : {QString("Escape"), QString("r"), QString("d"), QString("h")}) {
        int once = 0, several = 0, none = 0, stuck = 0;
        for (int i = 0; i < trials; ++i) {
            activate(toy);
            holdKey(keysym, holds[i % 3]);
            auto dialogs = [&] {
                QList<qulonglong> others = windowsOf(process().processId());
                others.removeAll(toy);
                return others;
            };
            if (!waitUntil([&] { return !dialogs().isEmpty(); }, 5000)) {
                ++none;
                continue;
            }
            QThread::msleep(240); // six polls: a stuck key would act again
            const QList<qulonglong> open = dialogs();
            (open.size() == 1 ? once : several) += 1;
            for (qulonglong w : open) {
                requestClose(w);
                waitForWindowGone(w, 5000);
            }
            QThread::msleep(240);
            if (!dialogs().isEmpty()) {
                ++stuck;
                for (qulonglong w : dialogs()) {
                    requestClose(w);
                    waitForWindowGone(w, 5000);
                }
            }
        }
        std::cout << "[ key trials ] " << keysym.toStdString() << ": " << trials << " presses, "
                  << once << " opened one window, " << several << " several, " << none << " none, "
                  << stuck << " stuck\n";
        EXPECT_EQ(once, trials) << keysym.toStdString();
        EXPECT_EQ(stuck, 0) << keysym.toStdString();
        ASSERT_EQ(process().state(), QProcess::Running) << "the program died";
    }
}

// Without a display the program says so in one line and ends with status 1.
TEST_F(EndToEnd, withoutADisplayTheProgramSaysSoAndEnds)
{
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    program.setProcessEnvironment(env);
    dieWithTest(program);
    program.start(m_program.appDir() + "vuruz", {});
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    const QStringList lines =
        QString::fromLocal8Bit(program.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << lines.join('|').toStdString();
    EXPECT_TRUE(lines[0].contains("no display")) << lines[0].toStdString();
}

// A second start ends at once and brings the running toy back to the front,
// also from the task bar (minimised by the window manager).
TEST_F(EndToEnd, aSecondCopyEndsAtOnceAndBringsTheFirstToTheFront)
{
    const qulonglong first = startToy();
    ASSERT_NE(first, 0u);
    const qint64 pid = process().processId();
    run("xdotool", {"windowminimize", "--sync", QString::number(first)});
    ASSERT_TRUE(waitUntil([&] { return !windowsOf(pid).contains(first); }, 5000))
        << "the window manager did not minimise the toy";

    auto second = m_program.start();
    ASSERT_TRUE(second->waitForFinished(10000)) << "the second copy kept running";
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_EQ(process().state(), QProcess::Running);
    EXPECT_TRUE(waitUntil([&] { return windowsOf(pid).contains(first); }, 5000))
        << "the toy did not come back";
    EXPECT_TRUE(waitUntil(
        [&] { return run("xdotool", {"getactivewindow"}).trimmed() == QString::number(first); },
        5000))
        << "the toy is not the active window";
}

// Alt+F4 and the window manager's close end the game the way "Programm
// beenden" does: the farewell, the beat file and the lock removed, status 0.
TEST_F(EndToEnd, everyCloseOfTheToyTakesTheWayOut)
{
    struct Way {
        const char* what;
        std::function<void(qulonglong toy)> close;
    };
    const Way ways[] = {
        {"Alt+F4",
         [](qulonglong toy) {
             activate(toy);
             key("alt+F4");
         }},
        {"the window manager's close", [](qulonglong toy) { requestClose(toy); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.what);
        const qulonglong toy = startToy();
        ASSERT_NE(toy, 0u);
        AudioTimeline audio(m_program.audioFile());
        const QString rhythmFile = m_program.runtimeDir() + "rhyRhythm1.wav";
        const QString lockFile = m_program.runtimeDir() + "vuruz.lock";
        ASSERT_TRUE(QFile::exists(rhythmFile));
        ASSERT_TRUE(QFile::exists(lockFile));
        way.close(toy);
        ASSERT_TRUE(process().waitForFinished(10000)) << "the close was refused";
        EXPECT_EQ(process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process().exitCode(), 0);
        EXPECT_TRUE(audio.waitFor({"GAMEOVER"}, 0, 2000).has_value())
            << audio.names().join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(rhythmFile));
        EXPECT_FALSE(QFile::exists(lockFile));
    }
}

TEST_F(EndToEnd, theToyIsCentredCutToItsOutlineAndStaysOnTop)
{
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);

    // Centred across the screen and in the upper 85 % of it, in twips.
    const QRect screenRect = screen();
    const int twips = 15;
    const int top =
        qRound(double(qRound(screenRect.height() * twips * 0.85) / 2 - (550 * twips) / 2) / twips);
    const int left = qRound(double((screenRect.width() * twips) / 2 - (549 * twips) / 2) / twips);
    EXPECT_TRUE(waitUntil([&] { return geometry(toy).topLeft() == QPoint(left, top); }, 3000))
        << "at " << geometry(toy).x() << "," << geometry(toy).y() << " instead of " << left << ","
        << top;

    // Exactly the artwork's non-background pixels belong to the window.
    const QRegion expected = m_toy.solidRegion();
    const QRegion shape = boundingShape(toy);
    EXPECT_TRUE((shape - expected).isEmpty()) << "the window covers background pixels";
    EXPECT_TRUE((expected - shape).isEmpty()) << "the window misses pixels of the toy";
    // Its icon for the task bar comes once it is up, sharp also when a task
    // bar or a window switcher shows it large.
    const auto largest = [&] {
        int side = 0;
        for (const QSize& size : iconSizes(toy))
            side = std::max(side, size.width());
        return side;
    };
    EXPECT_TRUE(waitUntil([&] { return largest() >= 128; }, 3000))
        << "the largest icon is " << largest() << " pixels wide";

    // A normal window opened and raised later still stays below the toy.
    QProcess other;
    dieWithTest(other);
    other.start("xmessage", {"-geometry", "700x700+0+0", "a normal window"});
    ASSERT_TRUE(other.waitForStarted());
    const auto otherWindow = waitForWindowOfClass("Xmessage", 10000);
    ASSERT_TRUE(otherWindow.has_value());
    activate(*otherWindow);
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto order = stackingOrder();
            return order.indexOf(toy) > order.indexOf(*otherWindow) &&
                   order.indexOf(*otherWindow) >= 0;
        },
        3000))
        << "the toy went below a normal window";
    other.kill();
    other.waitForFinished();
}

TEST_F(EndToEnd, aGameByMouseRightThenWrong)
{
    m_program.writeFile(m_program.iniFile(), kSection + "Timer=3000\r\n");
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);
    AudioTimeline audio(m_program.audioFile());
    qsizetype seen = 0;

    pressZone(toy, 4);
    ASSERT_TRUE(audio.waitFor({"RHYSTART1"}, seen, 10000).has_value());
    const QStringList voices = kGermanVoice;
    const QString first = nextCommand(audio, seen, voices);
    ASSERT_FALSE(first.isEmpty());
    const int right = commandZones().at(first);
    pressZone(toy, right, 3); // any mouse button presses a zone
    const QString second = nextCommand(audio, seen, voices);
    ASSERT_FALSE(second.isEmpty());
    pressZone(toy, (commandZones().at(second) + 1) % 5);
    const auto remark = audio.waitFor({"SONICHT", "MACHSBESSER"}, seen, 15000);
    ASSERT_TRUE(remark.has_value()) << audio.names().join(' ').toStdString();

    const QStringList expected = {"RHYSTART1",  first,       "RHYRHYTHM1", kAnswerSounds[right],
                                  "RHYRHYTHM2", second,      "RHYRHYTHM1", "FEHLER",
                                  "ENDBEAT1",   remark->name};
    EXPECT_EQ(audio.names().join(' ').toStdString(), expected.join(' ').toStdString());

    // One point does not beat the default table, which the game over saves.
    ASSERT_TRUE(
        waitUntil([&] { return m_program.readFile(m_program.hiScoreFile()).size() == 220; }, 5000));
    EXPECT_EQ(m_program.readFile(m_program.hiScoreFile()).left(22), record("Vuruz Erireviru", 20));
}

TEST_F(EndToEnd, aGameByKeyboardInEnglishEndsByTimeOut)
{
    m_program.writeFile(m_program.iniFile(), kSection + "Timer=1500\r\nLanguage=1\r\n");
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);
    activate(toy);
    AudioTimeline audio(m_program.audioFile());
    qsizetype seen = 0;

    key("space");
    ASSERT_TRUE(audio.waitFor({"RHYSTART1"}, seen, 10000).has_value());
    const QString first = nextCommand(audio, seen, kEnglishVoice);
    ASSERT_FALSE(first.isEmpty());
    key(kEnglishKeys[commandZones().at(first)]);
    const QString second = nextCommand(audio, seen, kEnglishVoice);
    ASSERT_FALSE(second.isEmpty());
    ASSERT_FALSE(audio.heard().isEmpty());
    const auto beat = audio.heard().last(); // the beat under the unanswered command
    const auto fehler = audio.waitFor({"FEHLER"}, seen, 10000);
    ASSERT_TRUE(fehler.has_value());
    const auto remark = audio.waitFor({"OHBOY", "AH-NO", "EN_SORRY"}, seen, 10000);
    ASSERT_TRUE(remark.has_value()) << audio.names().join(' ').toStdString();

    EXPECT_EQ(audio.names(audio.count() - 3).join(' ').toStdString(),
              QStringList({"FEHLER", "ENDBEAT1", remark->name}).join(' ').toStdString());
    EXPECT_TRUE(audio.names().contains(kAnswerSounds[commandZones().at(first)]));
    // The stored 1500 ms, not the default 800, was the answer time.
    EXPECT_GT(fehler->ms() - beat.ms(), 1200.0);
}

TEST_F(EndToEnd, aNewHighScoreIsNamedStoredAndShown)
{
    QByteArray table;
    for (int i = 0; i < 10; ++i)
        table += record("Alt", 0);
    m_program.writeFile(m_program.hiScoreFile(), table);
    m_program.writeFile(m_program.iniFile(), kSection + "Timer=3000\r\n");
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);
    AudioTimeline audio(m_program.audioFile());
    qsizetype seen = 0;

    pressZone(toy, 4);
    const QString first = nextCommand(audio, seen, kGermanVoice);
    ASSERT_FALSE(first.isEmpty());
    pressZone(toy, commandZones().at(first));
    const QString second = nextCommand(audio, seen, kGermanVoice);
    ASSERT_FALSE(second.isEmpty());
    pressZone(toy, (commandZones().at(second) + 2) % 5);

    const auto prompt = waitForWindowNamed("Neue High Score", 15000);
    ASSERT_TRUE(prompt.has_value()) << "no name prompt";
    activate(*prompt);
    audio.poll();
    seen = audio.count();
    type("Karl"); // K would start a game if keys typed here reached it
    key("Return");

    const auto shown = waitForWindowNamed("High Score", 10000);
    ASSERT_TRUE(shown.has_value()) << "the table was not shown";
    const QByteArray stored = m_program.readFile(m_program.hiScoreFile());
    ASSERT_EQ(stored.size(), 220);
    EXPECT_EQ(stored.left(22), record("Karl", 1));
    EXPECT_EQ(stored.mid(22, 22), record("Alt", 0));
    QThread::msleep(500);
    audio.poll();
    EXPECT_FALSE(audio.names(seen).contains("RHYSTART1")) << "typing the name started a game";

    activate(*shown);
    key("alt+F4");
    EXPECT_TRUE(waitForWindowGone(*shown, 5000));
}

// A dialog opened in the middle of a game holds it where the toy's modal
// window held its handler, and the way out waits for the same point: what
// the player does during the answer sound acts once that sound and the beat
// after it have ended, before the next command; a break-off during FEHLER
// holds the rest of the game over until the options are left.
namespace {

// Which of `names` were heard after position `seen`, once what was written
// by now has been read.
QStringList heardOf(AudioTimeline& audio, qsizetype seen, const QStringList& names)
{
    audio.poll();
    QStringList heard;
    for (const QString& name : audio.names(seen)) {
        if (names.contains(name))
            heard << name;
    }
    return heard;
}

} // namespace

TEST_F(EndToEnd, aDialogOrTheWayOutHoldsTheGameWhereTheToyWould)
{
    const QStringList germanKeys = {"t", "r", "d", "z", "k"};
    enum class When { AnswerSound, Fehler, DrumIntro, Idle };
    struct Row {
        const char* what;
        When when;
        std::function<void(qulonglong toy, AudioTimeline& audio, qsizetype seen)> during;
    };
    const Row rows[] = {
        {"H during the answer sound: the table holds the next command", When::AnswerSound,
         [](qulonglong, AudioTimeline& audio, qsizetype seen) {
             key("h");
             const auto table = waitForWindowNamed("High Score", 10000);
             ASSERT_TRUE(table.has_value()) << "the table did not open";
             // Without the hold the next command comes behind the table and
             // times out in about two seconds.
             QThread::msleep(2200);
             EXPECT_EQ(heardOf(audio, seen, kGermanVoice + QStringList{"FEHLER"}), QStringList());
             activate(*table);
             key("alt+F4");
             EXPECT_TRUE(waitForWindowGone(*table, 5000));
             EXPECT_TRUE(audio.waitFor(kGermanVoice, audio.count(), 5000).has_value())
                 << "no command after the table closed";
         }},
        {"Alt+F4 during the answer sound: the farewell is heard whole", When::AnswerSound,
         [this](qulonglong toy, AudioTimeline& audio, qsizetype seen) {
             activate(toy);
             key("alt+F4");
             ASSERT_TRUE(process().waitForFinished(10000)) << "the close was refused";
             EXPECT_EQ(process().exitCode(), 0);
             const auto farewell = audio.waitFor({"GAMEOVER"}, seen, 2000);
             ASSERT_TRUE(farewell.has_value()) << audio.names().join(' ').toStdString();
             audio.poll();
             // Cut by a command it ends after a few buffers; whole, it may lack
             // at most the device's last buffer, which SDL's disk driver need
             // not write as the program ends.
             EXPECT_GE(audio.written() - farewell->offset, audio.lengthOf("GAMEOVER") - 4096)
                 << "the farewell was cut";
             EXPECT_EQ(heardOf(audio, seen, kGermanVoice), QStringList());
         }},
        {"the right button during FEHLER: the options hold the rest of the game over", When::Fehler,
         [this](qulonglong toy, AudioTimeline& audio, qsizetype seen) {
             const QPoint body = onScreen(toy, m_toy.bodyPoint());
             click(body.x(), body.y(), 3);
             const auto dialog = waitForDialog(10000);
             ASSERT_TRUE(dialog.has_value()) << "no options dialog";
             QThread::msleep(2500);
             EXPECT_EQ(heardOf(audio, seen, {"ENDBEAT1"}), QStringList());
             const QPoint origin = geometry(*dialog).topLeft();
             click(origin.x() + 320, origin.y() + 402); // "Zurück"
             EXPECT_TRUE(waitForWindowGone(*dialog, 5000));
             EXPECT_TRUE(audio.waitFor({"ENDBEAT1"}, seen, 5000).has_value())
                 << audio.names(seen).join(' ').toStdString();
         }},
        {"the options zone during the drum intro: the first command waits for Zurück",
         When::DrumIntro,
         [this](qulonglong toy, AudioTimeline& audio, qsizetype seen) {
             pressZone(toy, 1);
             const auto dialog = waitForDialog(10000);
             ASSERT_TRUE(dialog.has_value()) << "no options dialog";
             QThread::msleep(2200);
             EXPECT_EQ(heardOf(audio, seen, kGermanVoice + QStringList{"FEHLER"}), QStringList());
             const QPoint origin = geometry(*dialog).topLeft();
             click(origin.x() + 320, origin.y() + 402); // "Zurück"
             EXPECT_TRUE(waitForWindowGone(*dialog, 5000));
             EXPECT_TRUE(audio.waitFor(kGermanVoice, seen, 5000).has_value())
                 << "no command after the options closed";
         }},
        {"B tapped in German is not played once English is chosen", When::Idle,
         [this](qulonglong toy, AudioTimeline& audio, qsizetype seen) {
             key("b");
             QThread::msleep(300);
             const QPoint body = onScreen(toy, m_toy.bodyPoint());
             click(body.x(), body.y(), 3);
             const auto dialog = waitForDialog(10000);
             ASSERT_TRUE(dialog.has_value()) << "no options dialog";
             const QPoint origin = geometry(*dialog).topLeft();
             click(origin.x() + 44, origin.y() + 360); // "Englisch"
             QThread::msleep(1500);
             EXPECT_EQ(heardOf(audio, seen, {"RHYSTART1"}), QStringList())
                 << "a key pressed while it meant nothing started a game";
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        m_program.writeFile(m_program.iniFile(), kSection + "Timer=800\r\nLanguage=0\r\n");
        // What the row before left on the device is not this row's.
        QFile::remove(m_program.audioFile());
        const qulonglong toy = startToy();
        ASSERT_NE(toy, 0u);
        activate(toy);
        AudioTimeline audio(m_program.audioFile());
        qsizetype seen = 0;
        if (row.when == When::DrumIntro) {
            pressZone(toy, 4);
            ASSERT_TRUE(audio.waitFor({"RHYSTART1"}, seen, 5000).has_value());
        } else if (row.when != When::Idle) {
            key("space");
            const QString first = nextCommand(audio, seen, kGermanVoice);
            ASSERT_FALSE(first.isEmpty());
            const int zone = commandZones().at(first);
            const bool wrong = row.when == When::Fehler;
            key(germanKeys[wrong ? (zone + 1) % 5 : zone]);
            const auto heard =
                audio.waitFor(wrong ? QStringList{"FEHLER"} : kAnswerSounds, seen, 5000);
            ASSERT_TRUE(heard.has_value()) << audio.names().join(' ').toStdString();
        }
        seen = audio.count();
        row.during(toy, audio, seen);
        if (process().state() != QProcess::NotRunning) {
            process().kill();
            process().waitForFinished(5000);
        }
    }
}

TEST_F(EndToEnd, optionsAreSavedUsedAfterARestartAndTheWayOutEndsTheProgram)
{
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);
    AudioTimeline audio(m_program.audioFile());
    const QString rhythmFile = m_program.runtimeDir() + "rhyRhythm1.wav";
    EXPECT_TRUE(QFile::exists(rhythmFile));

    // The right button on the body opens the options.
    const QPoint body = onScreen(toy, m_toy.bodyPoint());
    click(body.x(), body.y(), 3);
    auto dialog = waitForDialog(10000);
    ASSERT_TRUE(dialog.has_value()) << "no options dialog";
    // The dialog's caption has nothing of its own; the desktop adds the
    // program's name to every caption.
    QString caption = run("xdotool", {"getwindowname", QString::number(*dialog)});
    caption.remove("Wendrake Vuruz Erireviru Simulator").remove(QChar(0x2014));
    EXPECT_EQ(caption.trimmed(), "");
    const QPoint origin = geometry(*dialog).topLeft();
    click(origin.x() + 44, origin.y() + 360);  // "Englisch"
    click(origin.x() + 290, origin.y() + 352); // the track right of the thumb: +500
    click(origin.x() + 320, origin.y() + 402); // "Zurück"
    ASSERT_TRUE(waitForWindowGone(*dialog, 5000));
    const QByteArray ini = m_program.readFile(m_program.iniFile());
    EXPECT_TRUE(ini.contains("Timer=1300")) << ini.toStdString();
    EXPECT_TRUE(ini.contains("Language=1")) << ini.toStdString();

    // "Programm beenden" says goodbye in the chosen language and ends it all.
    click(body.x(), body.y(), 3);
    dialog = waitForDialog(10000);
    ASSERT_TRUE(dialog.has_value());
    const QPoint again = geometry(*dialog).topLeft();
    click(again.x() + 92, again.y() + 402);
    bool ended = process().waitForFinished(10000);
    if (!ended && !waitForWindowGone(*dialog, 100)) {
        // On a loaded machine the window manager may still have been placing
        // the dialog: the click missed it, and it is still open. A dialog that
        // went away without the program ending is the fault this looks for.
        const QPoint placed = geometry(*dialog).topLeft();
        click(placed.x() + 92, placed.y() + 402);
        ended = process().waitForFinished(10000);
    }
    ASSERT_TRUE(ended) << "the program did not end";
    EXPECT_EQ(process().exitCode(), 0);
    EXPECT_TRUE(audio.waitFor({"EN_GAMEOVER"}, 0, 2000).has_value())
        << audio.names().join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(rhythmFile));

    // A restart takes the saved settings: English, and 1300 ms to answer.
    const qulonglong restarted = startToy();
    ASSERT_NE(restarted, 0u) << "the lock outlived the program";
    activate(restarted);
    AudioTimeline after(m_program.audioFile());
    qsizetype seen = 0;
    key("space");
    const QString command = nextCommand(after, seen, kEnglishVoice + kGermanVoice);
    ASSERT_TRUE(kEnglishVoice.contains(command)) << command.toStdString();
    const auto beat = after.heard().last();
    const auto fehler = after.waitFor({"FEHLER"}, seen, 10000);
    ASSERT_TRUE(fehler.has_value());
    EXPECT_GT(fehler->ms() - beat.ms(), 1000.0);
}

} // namespace

namespace {

// What the screen shows around and on the toy, pixel by pixel: how many
// pixels outside its outline differ from the desktop, and how many of its
// own equal the picture or are blended with what lies behind.
struct ToyOnScreen {
    int changedAround = 0;
    int blended = 0;
    int exact = 0;
};

ToyOnScreen lookAtToy(const ToyPicture& toy, const QRect& window, const QImage& shot,
                      const QRect& area)
{
    // The desktop as the compositor shows it far from the toy (picom's
    // sample configuration dims windows without the focus).
    const QRgb desktop = grab(QRect(screen().topLeft(), QSize(1, 1))).pixel(0, 0);
    const QRegion solid = toy.solidRegion().translated(window.topLeft() - area.topLeft());
    ToyOnScreen seen;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb pixel = shot.pixel(x, y);
            if (!solid.contains(QPoint(x, y))) {
                seen.changedAround += pixel != desktop;
                continue;
            }
            const QRgb drawn = toy.colourAt(QPoint(x, y) + area.topLeft() - window.topLeft());
            (pixel == drawn ? seen.exact : seen.blended) += 1;
        }
    }
    return seen;
}

} // namespace

// Where a compositing manager draws shadows, the toy is a translucent window
// with a soft edge: around it the desktop shows unchanged (no shadow of the
// window's rectangle), and its edge pixels blend with what lies behind. The
// toy follows a compositor that starts after it, and shows its exact hard
// picture again once the compositor ends.
TEST_F(EndToEnd, underACompositorWithShadowsTheToyHasASoftEdgeAndNothingAround)
{
    QTemporaryDir folder;
    // picom's sample configuration, which players copy, with its shadows; a
    // virtual screen has no vertical sync to wait for.
    QFile sample("/usr/share/doc/picom/examples/picom.sample.conf");
    QByteArray settings = sample.open(QIODevice::ReadOnly) ? sample.readAll() : QByteArray();
    settings.replace("vsync = true", "vsync = false");
    QFile config(folder.filePath("picom.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly) && config.write(settings) == settings.size());
    config.close();
    const struct {
        const char* name;
        QString program;
        QStringList args;
        bool startsAfterTheToy;
        bool withoutFocus = false; // another window has the focus
    } rows[] = {
        {"picom, sample configuration",
         "picom",
         {"--config", config.fileName(), "--backend", "xrender", "--shadow",
          "--no-fading-openclose"},
         false},
        {"bare picom -c", "picom", {"--config", "/dev/null", "-c"}, false},
        {"picom -c started after the toy", "picom", {"--config", "/dev/null", "-c"}, true},
        // The sample configuration fades windows without the focus; the toy
        // asks to stay opaque.
        {"picom, sample configuration, the toy without the focus",
         "picom",
         {"--config", config.fileName(), "--backend", "xrender", "--shadow",
          "--no-fading-openclose"},
         false,
         true},
    };

    QWidget backdrop(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
    backdrop.setStyleSheet("background: white");
    backdrop.setGeometry(screen());
    backdrop.show();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (QStandardPaths::findExecutable(row.program).isEmpty()) {
            std::cout << "[ SKIPPED  ] " << row.name << ": needs " << row.program.toStdString()
                      << std::endl;
            continue;
        }
        QProcess compositor;
        dieWithTest(compositor);
        compositor.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const auto startCompositor = [&] {
            compositor.start(row.program, row.args);
            return compositor.waitForStarted() && waitUntil(compositorRuns, 10000);
        };
        if (!row.startsAfterTheToy) {
            ASSERT_TRUE(startCompositor()) << row.program.toStdString() << " did not start";
        }

        const qulonglong toy = startToy();
        ASSERT_NE(toy, 0u);
        const QRect window = geometry(toy);
        const QRect area = window.adjusted(-40, -40, 40, 40) & screen();
        const QPoint body = m_toy.bodyPoint();
        QImage shot;
        const auto drawn = [&] {
            QCoreApplication::processEvents();
            shot = grab(area);
            const QPoint at = body + window.topLeft() - area.topLeft();
            return shot.pixel(at) == m_toy.colourAt(body);
        };
        ASSERT_TRUE(waitUntil(drawn, 5000)) << "the toy was not drawn";
        // A small window far from the toy takes the focus (the backdrop would
        // count as full-screen and cover the toy once it had it).
        QWidget elsewhere;
        if (row.withoutFocus) {
            elsewhere.setGeometry(QRect(screen().bottomRight() - QPoint(200, 150), QSize(120, 90)));
            elsewhere.show();
            ASSERT_TRUE(waitUntil(
                [&] {
                    QCoreApplication::processEvents();
                    activate(elsewhere.winId());
                    return run("xdotool", {"getactivewindow"}).trimmed() ==
                           QString::number(elsewhere.winId());
                },
                5000));
        }
        if (row.startsAfterTheToy) {
            ASSERT_TRUE(startCompositor()) << row.program.toStdString() << " did not start";
            // It shows the soft picture once it has heard of the compositor
            // and the compositor has taken the window over.
            EXPECT_TRUE(waitUntil(
                [&] {
                    shot = grab(area);
                    const ToyOnScreen seen = lookAtToy(m_toy, window, shot, area);
                    return seen.changedAround == 0 && seen.blended > 200 && seen.exact > 140000;
                },
                5000))
                << "the toy did not take its soft edge";
        }
        QThread::msleep(300); // the shadow, if any, comes with the next frame
        shot = grab(area);
        if (const QString dir = qEnvironmentVariable("VURUZ_SCREENSHOTS"); !dir.isEmpty())
            shot.save(dir + "/toy-under-" + QString(row.name).replace(' ', '-') + ".png");
        const ToyOnScreen seen = lookAtToy(m_toy, window, shot, area);
        ASSERT_EQ(compositor.state(), QProcess::Running) << row.program.toStdString() << " ended";
        EXPECT_EQ(seen.changedAround, 0) << "pixels around the toy are not the desktop's"
                                         << process().readAllStandardError().toStdString();
        EXPECT_GT(seen.blended, 200) << "no soft edge";
        EXPECT_GT(seen.exact, 140000) << "the toy's own pixels are not its picture's";

        compositor.terminate();
        compositor.waitForFinished(5000);
        if (row.startsAfterTheToy) {
            // Without a compositor a soft edge would show as a dark fringe:
            // back to the exact X shape and the hard picture.
            ASSERT_TRUE(waitUntil([] { return !compositorRuns(); }, 5000));
            int solid = 0;
            for (const QRect& r : m_toy.solidRegion())
                solid += r.width() * r.height();
            ToyOnScreen hard;
            EXPECT_TRUE(waitUntil(
                [&] {
                    shot = grab(area);
                    hard = lookAtToy(m_toy, window, shot, area);
                    return hard.changedAround == 0 && hard.exact == solid;
                },
                5000))
                << "without a compositor " << hard.blended << " pixels of the toy are blended, "
                << hard.changedAround << " around it changed";
        }
        process().kill();
        const bool ended = process().waitForFinished(5000);
        // A window outliving its ended program means that something the
        // program forked still holds its connection to the server.
        ASSERT_TRUE(waitForWindowGone(toy, 5000))
            << "the killed toy's window stayed; the program " << (ended ? "ended" : "still ran");
    }
}

// A drag with the left or the middle button moves the toy by the pointer's
// travel, through the window manager where there is one; the right button
// never drags. A toy too busy to take the press before the hand moves on
// still moves by the whole travel from where the press was.
TEST_F(EndToEnd, aDragMovesTheToyByThePointersTravel)
{
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);
    const struct {
        int button;
        QPoint travel;
        bool busy;
    } rows[] = {
        {1, {200, 100}, false}, {2, {-150, 60}, false}, {3, {0, 0}, false}, {1, {-180, -90}, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.button << (row.busy ? " busy" : ""));
        const QPoint start = geometry(toy).topLeft();
        const QPoint grab = start + m_toy.bodyPoint();
        const QPoint step = (row.button == 3 ? QPoint(220, 120) : row.travel) / 10;
        moveTo(grab.x(), grab.y());
        // A stopped toy reads the press and the hand's first move together.
        if (row.busy)
            ::kill(pid_t(process().processId()), SIGSTOP);
        press(grab.x(), grab.y(), row.button);
        for (int i = 1; i <= 10; ++i) {
            const QPoint at = grab + step * i;
            moveTo(at.x(), at.y());
            if (i == 1 && row.busy) {
                QThread::msleep(100);
                ::kill(pid_t(process().processId()), SIGCONT);
            }
            // A move by the window manager begins once it has taken the
            // pointer, as a player's hand waits for the toy to follow.
            if (i == 1 && row.button != 3)
                waitUntil([&] { return geometry(toy).topLeft() != start; }, 3000);
        }
        const QPoint end = grab + (row.button == 3 ? QPoint(220, 120) : row.travel);
        moveTo(end.x(), end.y());
        // The hand lets go once the toy has followed it there: on a loaded
        // machine the window manager may still be moving it.
        if (row.button != 3)
            waitUntil([&] { return geometry(toy).topLeft() == start + row.travel; }, 3000);
        release(row.button);
        if (row.button == 3) {
            // The right button opens the options instead; closing them leaves
            // the toy where it stood.
            const auto dialog = waitForDialog(5000);
            ASSERT_TRUE(dialog.has_value());
            requestClose(*dialog);
            EXPECT_TRUE(waitForWindowGone(*dialog, 5000));
        }
        EXPECT_TRUE(waitUntil([&] { return geometry(toy).topLeft() == start + row.travel; }, 3000))
            << "at " << geometry(toy).x() << "," << geometry(toy).y() << " instead of "
            << (start + row.travel).x() << "," << (start + row.travel).y();
    }
}

struct WaylandRow {
    const char* name;
    bool throughXWayland;
    const char* screenshot;
};

// The display number weston's XWayland listens on, from weston's log.
QString xwaylandDisplay(const QString& westonLog)
{
    QFile log(westonLog);
    if (!log.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression listening(QStringLiteral("listening on display (:\\d+)"));
    const QRegularExpressionMatch m = listening.match(QString::fromUtf8(log.readAll()));
    return m.hasMatch() ? m.captured(1) : QString();
}

// Under weston's headless compositor the toy shows with its soft edge and no
// black square around it: on Qt's Wayland platform when there is no X
// display, and as an X program through weston's XWayland when there is one,
// as in a Wayland session. Looked at through weston's own screenshots.
TEST_F(EndToEnd, underWestonTheToyShowsWithoutASquare)
{
    if (QStandardPaths::findExecutable("weston").isEmpty() ||
        QStandardPaths::findExecutable("weston-screenshooter").isEmpty())
        GTEST_SKIP() << "needs weston";
    const bool haveXWayland = !QStandardPaths::findExecutable("Xwayland").isEmpty();
    const std::vector<WaylandRow> rows = {
        {"Wayland alone", false, "toy-on-weston.png"},
        {"XWayland", true, "toy-on-weston-xwayland.png"},
    };
    const QString runtime = m_program.runtimeDir();
    const QRgb body = m_toy.colourAt(m_toy.bodyPoint());
    for (const WaylandRow& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.throughXWayland && !haveXWayland) {
            std::cout << "[ SKIPPED  ] " << row.name << ": needs Xwayland\n";
            continue;
        }
        QTemporaryDir folder;
        const QString westonLog = folder.filePath("weston.log");
        QProcess weston;
        dieWithTest(weston);
        QProcessEnvironment westonEnv = QProcessEnvironment::systemEnvironment();
        westonEnv.insert("XDG_RUNTIME_DIR", runtime);
        weston.setProcessEnvironment(westonEnv);
        weston.setStandardOutputFile(QProcess::nullDevice());
        weston.setStandardErrorFile(QProcess::nullDevice());
        QStringList args = {"--backend=headless-backend.so",
                            "--use-pixman",
                            "--debug",
                            "--socket=vuruz-test",
                            "--width=1024",
                            "--height=768",
                            "--idle-time=0",
                            "--log=" + westonLog};
        if (row.throughXWayland)
            args << "--xwayland";
        weston.start("weston", args);
        ASSERT_TRUE(waitUntil([&] { return QFile::exists(runtime + "vuruz-test"); }, 10000))
            << "weston did not start";
        QString xDisplay;
        if (row.throughXWayland) {
            ASSERT_TRUE(waitUntil(
                [&] { return !(xDisplay = xwaylandDisplay(westonLog)).isEmpty(); }, 10000))
                << "weston's XWayland did not listen";
        }

        m_running.push_back(m_program.start([&](QProcessEnvironment& env) {
            env.insert("WAYLAND_DISPLAY", "vuruz-test");
            if (row.throughXWayland)
                env.insert("DISPLAY", xDisplay);
            else
                env.remove("DISPLAY");
        }));
        QTemporaryDir shots;
        QImage shot;
        const auto toyShown = [&] {
            QProcess shooter;
            QProcessEnvironment shooterEnv = westonEnv;
            shooterEnv.insert("WAYLAND_DISPLAY", "vuruz-test");
            shooter.setProcessEnvironment(shooterEnv);
            shooter.setWorkingDirectory(shots.path());
            shooter.start("weston-screenshooter", QStringList());
            shooter.waitForFinished(5000);
            for (const QString& name : QDir(shots.path()).entryList({"*.png"})) {
                shot = QImage(shots.filePath(name)).convertToFormat(QImage::Format_RGB32);
                QFile::remove(shots.filePath(name));
            }
            for (int y = 0; y < shot.height(); ++y) {
                const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
                if (std::find(line, line + shot.width(), body) != line + shot.width())
                    return true;
            }
            return false;
        };
        ASSERT_TRUE(waitUntil(toyShown, 15000)) << "no toy on the Wayland screen; the program said "
                                                << process().readAllStandardError().toStdString();
        if (const QString dir = qEnvironmentVariable("VURUZ_SCREENSHOTS"); !dir.isEmpty())
            shot.save(dir + "/" + row.screenshot);
        int black = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                black += (shot.pixel(x, y) & 0xFFFFFF) == 0;
        }
        EXPECT_LT(black, 500) << "a black square around the toy";
        EXPECT_EQ(process().state(), QProcess::Running);
        if (row.throughXWayland) {
            EXPECT_TRUE(run("xwininfo", {"-display", xDisplay, "-root", "-tree"})
                            .contains(QStringLiteral("549x550")))
                << "the toy did not come as an X window";
        }
        // One toy at a time: the next row's would find this one running.
        process().kill();
        process().waitForFinished(5000);
        weston.terminate();
        weston.waitForFinished(5000);
    }
}

// With two monitors side by side (Xorg's dummy driver, cut in two by RandR
// monitors, as a desktop with two screens shows), the options dialog opens
// centred over the monitor the toy stands on, not over the primary one.
TEST_F(EndToEnd, theOptionsOpenOnTheMonitorTheToyStandsOn)
{
    if (!canRunTwoMonitors())
        GTEST_SKIP() << "needs Xorg with the dummy driver, and xrandr";
    QTemporaryDir folder;
    QProcess xorg;
    const QString display = startTwoMonitors(xorg, folder);
    ASSERT_FALSE(display.isEmpty()) << "Xorg did not start with two monitors";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    const auto on = [&](const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(10000);
        return QString::fromLocal8Bit(p.readAllStandardOutput());
    };

    m_running.push_back(m_program.start(
        [&](QProcessEnvironment& programEnv) { programEnv.insert("DISPLAY", display); }));
    const auto windowOfSize = [&](QSize size) -> std::optional<std::pair<QString, QPoint>> {
        const QString pid = QString::number(process().processId());
        for (const QString& id :
             on("xdotool", {"search", "--pid", pid}).split('\n', Qt::SkipEmptyParts)) {
            const QString g = on("xdotool", {"getwindowgeometry", "--shell", id});
            auto value = [&](const char* key) {
                return g.section(QString(key) + "=", 1).section('\n', 0, 0).toInt();
            };
            if (QSize(value("WIDTH"), value("HEIGHT")) == size)
                return std::make_pair(id, QPoint(value("X"), value("Y")));
        }
        return std::nullopt;
    };
    std::optional<std::pair<QString, QPoint>> toy;
    ASSERT_TRUE(
        waitUntil([&] { return (toy = windowOfSize(kToySize.size())).has_value(); }, 15000));
    // Onto the right monitor, then a right press on the body.
    on("xdotool", {"windowmove", toy->first, "1700", "200"});
    ASSERT_TRUE(waitUntil(
        [&] {
            const auto moved = windowOfSize(kToySize.size());
            return moved && moved->second == QPoint(1700, 200);
        },
        5000));
    const QPoint body = QPoint(1700, 200) + m_toy.bodyPoint();
    on("xdotool",
       {"mousemove", QString::number(body.x()), QString::number(body.y()), "click", "3"});
    std::optional<std::pair<QString, QPoint>> dialog;
    ASSERT_TRUE(
        waitUntil([&] { return (dialog = windowOfSize(kOptionsSize.size())).has_value(); }, 10000))
        << "no options dialog";
    // Centred over the right monitor, in its upper 85 %, as CenterForm works it out.
    const QPoint twips = Commands::centeredPosition(1280 * 15, 1024 * 15, kOptionsSize.width() * 15,
                                                    kOptionsSize.height() * 15);
    const QPoint expected(1280 + qRound(twips.x() / 15.0), qRound(twips.y() / 15.0));
    EXPECT_EQ(dialog->second, expected);
    process().kill();
    process().waitForFinished(5000);
    xorg.terminate();
    xorg.waitForFinished(5000);
}

// With a screen of each scale (the right one at 2x), the toy moved onto the
// other one, as a window manager moves it and by a drag of its own, stays
// whole and cut exactly to the outline drawn for that screen's scale.
TEST_F(EndToEnd, onScreensOfTwoScalesTheToyStaysWholeAndShaped)
{
    if (!canRunTwoMonitors())
        GTEST_SKIP() << "needs Xorg with the dummy driver, and xrandr";
    QTemporaryDir folder;
    QProcess xorg;
    const QString name = startTwoMonitors(xorg, folder);
    ASSERT_FALSE(name.isEmpty()) << "Xorg did not start with two monitors";
    OnDisplay display(name);
    ASSERT_TRUE(display.opened());
    m_running.push_back(m_program.start(
        [](QProcessEnvironment& env) { env.insert("QT_SCREEN_SCALE_FACTORS", "1;2"); }));
    const auto toy = waitForWindow(process().processId(), 15000, kToySize);
    ASSERT_TRUE(toy.has_value());

    const QSize sharpSize = kToySize.size() * 2;
    const QPoint body = m_toy.bodyPoint();
    // A drag keeps the grabbed spot of the toy under the pointer, at the
    // scale of the screen the toy ends on: the hand ends where that spot of
    // the toy at `to` is. Without a window manager the drag is the toy's own
    // with either button; with one, the left button's drag is the toy's own
    // too, as the manager's would keep the pointer's offset in the server's
    // pixels, another spot of the toy at the other scale.
    const struct {
        const char* how;
        int button; // 0: moved from outside, as a window manager moves it
        QPoint to;
        int scale;
        bool windowManager;
    } rows[] = {
        {"moved onto the 2x screen", 0, {1500, 100}, 2, false},
        {"dragged back by the middle button", 2, {200, 150}, 1, false},
        {"dragged across by the left button", 1, {1400, 50}, 2, false},
        {"moved back", 0, {300, 200}, 1, false},
        {"dragged across by the left button under a window manager", 1, {1450, 80}, 2, true},
        {"dragged back by the left button under a window manager", 1, {250, 120}, 1, true}};
    std::optional<WindowManager> manager;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        if (row.windowManager && !manager) {
            manager.emplace();
            ASSERT_TRUE(manager->running());
            // It takes the toy over once it runs; a press before that is
            // lost in the taking.
            ASSERT_TRUE(waitUntil(
                [&] {
                    return run("xprop", {"-id", QString::number(*toy), "_NET_FRAME_EXTENTS"})
                        .contains('=');
                },
                5000));
        }
        const QRect before = geometry(*toy);
        if (row.button == 0) {
            run("xdotool", {"windowmove", QString::number(*toy), QString::number(row.to.x()),
                            QString::number(row.to.y())});
        } else {
            const QPoint grabbed = before.topLeft() + body * (before.width() / kToySize.width());
            const QPoint end = row.to + body * row.scale;
            press(grabbed.x(), grabbed.y(), row.button);
            for (int i = 1; i <= 20; ++i) {
                const QPoint at = grabbed + (end - grabbed) * i / 20;
                moveTo(at.x(), at.y());
                QThread::msleep(10);
            }
            release(row.button);
        }
        const QSize size = row.scale == 2 ? sharpSize : kToySize.size();
        ASSERT_TRUE(waitUntil(
            [&] {
                const QRect now = geometry(*toy);
                const QRegion shape = boundingShape(*toy);
                const QRegion outline =
                    row.scale == 2 ? ToyPicture::sharpSolidRegion() : m_toy.solidRegion();
                return now.topLeft() == row.to && now.size() == size &&
                       (shape - outline).isEmpty() && (outline - shape).isEmpty();
            },
            5000))
            << "at " << geometry(*toy).x() << "," << geometry(*toy).y() << ", "
            << geometry(*toy).width() << "x" << geometry(*toy).height();
        // The picture drawn for the screen's scale, not the other one scaled.
        const QPoint probe = body * row.scale;
        const QRgb expected =
            row.scale == 2 ? ToyPicture::sharpColourAt(probe) : m_toy.colourAt(probe);
        EXPECT_TRUE(waitUntil(
            [&] { return grab(QRect(row.to + probe, QSize(1, 1))).pixel(0, 0) == expected; },
            3000));
        if (const QString dir = qEnvironmentVariable("VURUZ_SCREENSHOTS"); !dir.isEmpty())
            grab(QRect(row.to, size))
                .save(dir + QStringLiteral("/toy-at-%1x-%2.png").arg(row.scale).arg(row.to.x()));
    }
    // The server goes with `xorg`, after the connection to it is closed.
    process().kill();
    process().waitForFinished(5000);
}

namespace {

// A property of a window as xprop prints it, after its "= ".
QString propertyOf(qulonglong window, const char* name)
{
    const QString line = run("xprop", {"-id", QString::number(window), name}).trimmed();
    return line.section(QStringLiteral(" = "), 1);
}

} // namespace

// Each dialog is titled by its caption alone, with nothing appended, and has
// no task-bar button of its own, as the window manager holds its state: the
// options (blank caption), the high-score table and the name prompt.
TEST_F(EndToEnd, theDialogsAreTitledByTheirCaptionsAndStayOffTheTaskBar)
{
    QByteArray table;
    for (int i = 0; i < 10; ++i)
        table += record("Alt", -1);
    m_program.writeFile(m_program.hiScoreFile(), table);
    m_program.writeFile(m_program.iniFile(), kSection + "Timer=200\r\n");
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);
    const struct {
        const char* dialog;
        std::function<std::optional<qulonglong>()> open;
        QString title;
    } rows[] = {
        {"options",
         [&] {
             activate(toy);
             key("Escape");
             return waitForDialog(10000);
         },
         "\" \""},
        {"high-score table",
         [&] {
             activate(toy);
             key("h");
             return waitForWindowNamed("High Score", 10000);
         },
         "\"High Score\""},
        // A game that times out at once beats the table's -1 points.
        {"name prompt",
         [&] {
             activate(toy);
             key("space");
             return waitForWindowNamed("Neue High Score", 30000);
         },
         "\"Neue High Score\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dialog);
        const auto dialog = row.open();
        ASSERT_TRUE(dialog.has_value()) << "the dialog did not open";
        EXPECT_EQ(propertyOf(*dialog, "_NET_WM_NAME").toStdString(), row.title.toStdString());
        EXPECT_TRUE(propertyOf(*dialog, "_NET_WM_STATE").contains("_NET_WM_STATE_SKIP_TASKBAR"))
            << propertyOf(*dialog, "_NET_WM_STATE").toStdString();
        if (const QString dir = qEnvironmentVariable("VURUZ_SCREENSHOTS"); !dir.isEmpty())
            grab(geometry(*dialog).adjusted(-8, -32, 8, 8) & screen())
                .save(dir + "/title-" + QString(row.dialog).replace(' ', '-') + ".png");
        requestClose(*dialog);
        ASSERT_TRUE(waitForWindowGone(*dialog, 5000));
        // A cancelled prompt stores the score and shows the table.
        if (const auto shown = waitForWindowNamed("High Score", 2000)) {
            requestClose(*shown);
            ASSERT_TRUE(waitForWindowGone(*shown, 5000));
        }
    }
}

// A second start is the player asking for the toy: it comes to the desktop
// they look at (openbox's desktops), whole onto the screen when it stood
// almost off it, raised and with the focus.
TEST_F(EndToEnd, aSecondStartBringsTheToyToThePlayer)
{
    if (run("xdotool", {"get_num_desktops"}).trimmed().toInt() < 2)
        GTEST_SKIP() << "needs a window manager with several desktops";
    const qulonglong toy = startToy();
    ASSERT_NE(toy, 0u);
    const qint64 pid = process().processId();
    const struct {
        const char* what;
        int desktop; // the player's, the toy stays on the first
        QPoint movedTo;
    } rows[] = {
        {"from another desktop", 2, {300, 200}},
        {"almost off the screen", 0, {1200, 950}},
        {"from another desktop, almost off the screen", 1, {-500, -520}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        run("xdotool", {"set_desktop", "0"});
        run("xdotool", {"windowmove", "--sync", QString::number(toy),
                        QString::number(row.movedTo.x()), QString::number(row.movedTo.y())});
        run("xdotool", {"set_desktop", QString::number(row.desktop)});
        ASSERT_TRUE(waitUntil(
            [&] { return run("xdotool", {"get_desktop"}).trimmed().toInt() == row.desktop; },
            5000));

        auto second = m_program.start();
        ASSERT_TRUE(second->waitForFinished(10000)) << "the second copy kept running";
        EXPECT_EQ(second->exitCode(), 0);
        EXPECT_TRUE(waitUntil(
            [&] {
                return run("xdotool", {"get_desktop_for_window", QString::number(toy)})
                               .trimmed()
                               .toInt() == row.desktop &&
                       windowsOf(pid).contains(toy);
            },
            5000))
            << "the toy is on desktop "
            << run("xdotool", {"get_desktop_for_window", QString::number(toy)}).toStdString();
        EXPECT_TRUE(waitUntil([&] { return screen().contains(geometry(toy)); }, 5000))
            << "at " << geometry(toy).x() << "," << geometry(toy).y();
        EXPECT_TRUE(waitUntil(
            [&] { return run("xdotool", {"getactivewindow"}).trimmed() == QString::number(toy); },
            5000))
            << "the toy is not the active window";
        const QList<qulonglong> order = stackingOrder();
        EXPECT_TRUE(!order.isEmpty() && order.last() == toy) << "the toy is not on top";
    }
    run("xdotool", {"set_desktop", "0"});
}

// The name prompt opens centred over the monitor the toy stands on, like the
// other dialogs, also when the pointer is on the other monitor (a player
// answering with keys).
TEST_F(EndToEnd, theNamePromptOpensOnTheMonitorTheToyStandsOn)
{
    if (!canRunTwoMonitors())
        GTEST_SKIP() << "needs Xorg with the dummy driver, and xrandr";
    QByteArray table;
    for (int i = 0; i < 10; ++i)
        table += record("Alt", -1);
    m_program.writeFile(m_program.hiScoreFile(), table);
    m_program.writeFile(m_program.iniFile(), kSection + "Timer=200\r\n");
    QTemporaryDir folder;
    QProcess xorg;
    const QString name = startTwoMonitors(xorg, folder);
    ASSERT_FALSE(name.isEmpty()) << "Xorg did not start with two monitors";
    OnDisplay display(name);
    ASSERT_TRUE(display.opened());
    m_running.push_back(m_program.start());
    const auto toy = waitForWindow(process().processId(), 15000, kToySize);
    ASSERT_TRUE(toy.has_value());
    run("xdotool", {"windowmove", QString::number(*toy), "1700", "200"});
    ASSERT_TRUE(waitUntil([&] { return geometry(*toy).topLeft() == QPoint(1700, 200); }, 5000));

    // The game starts by the centre button; the pointer then rests on the
    // left monitor while the command times out.
    const QPoint centre = QPoint(1700, 200) + m_toy.zonePoint(4);
    click(centre.x(), centre.y());
    moveTo(200, 300);
    const auto prompt = waitForWindowNamed("Neue High Score", 30000);
    ASSERT_TRUE(prompt.has_value()) << "no name prompt";
    const QRect placed = geometry(*prompt);
    const QPoint twips =
        Commands::centeredPosition(1280 * 15, 1024 * 15, placed.width() * 15, placed.height() * 15);
    EXPECT_EQ(placed.topLeft(), QPoint(1280 + qRound(twips.x() / 15.0), qRound(twips.y() / 15.0)));
    if (const QString dir = qEnvironmentVariable("VURUZ_SCREENSHOTS"); !dir.isEmpty())
        grab(QRect(0, 0, 2560, 1024)).save(dir + "/name-prompt-on-two-monitors.png");
    process().kill();
    process().waitForFinished(5000);
}
