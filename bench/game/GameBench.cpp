// Prints how long the player really gets to answer, measured from the start
// of the rhythm to the time-out, against the set interval; and how long a key
// press takes to become a zone press through the key filter and the poll.
// Run under a display, e.g. xvfb-run -a ./game_bench
#include "BenchSupport.h"
#include "game/Rnd.h"
#include "game/ToyGame.h"
#include "game/frmMain.h"
#include "sound/ResWave.h"
#include "sound/SoundOutput.h"
#include "startup/Globals.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

QElapsedTimer g_clock;

// Returns at once, like a sound card that plays in no time; notes when the
// rhythm starts.
class TimingOutput final : public ResWave::SoundOutput {
  public:
    qint64 rhythmStartNs = -1;
    void playMemory(const QString&, const QByteArray&, int, ResWave::SoundDone done) override
    {
        ResWave::finishLater(std::move(done));
    }
    void playFile(const QString&, int) override { rhythmStartNs = g_clock.nsecsElapsed(); }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    g_clock.start();
    TimingOutput output;
    Commands::TempDir = QStringLiteral("/tmp/");

    // The hooks end the wait themselves: a polling wait would sleep between
    // looks and add its own delay to the figures.
    QEventLoop waiting;
    qint64 tableShownNs = -1;
    Bench::HookedDialogs dialogs;
    dialogs.onTable = [&] {
        tableShownNs = g_clock.nsecsElapsed();
        waiting.quit();
    };
    Bench::MemoryScores scores;
    scores.onSave = [&] { waiting.quit(); };
    ToyGame game(Game::clockSeededDraw, scores);
    frmMain window(game, output, dialogs);
    window.Form_Load();
    if (!QTest::qWaitForWindowExposed(&window))
        std::printf("window not exposed; figures may be off\n");

    std::printf("Answer window (rhythm start to time-out) against the set interval\n");
    qint64 timeoutNs = -1;
    QTimer* answerTimer = window.findChild<QTimer*>(QStringLiteral("Timer1"));
    QObject::connect(answerTimer, &QTimer::timeout, &window,
                     [&] { timeoutNs = g_clock.nsecsElapsed(); });
    for (const int interval : {200, 800, 3000}) {
        const int runs = interval >= 3000 ? 5 : 10;
        game.applySettings(interval, 0);
        std::vector<double> given;
        std::vector<double> error;
        for (int run = 0; run < runs; ++run) {
            timeoutNs = -1;
            window.PlayButton_MouseDown(4, 0, 0, 0, 0);
            waiting.exec();
            const double ms = double(timeoutNs - output.rhythmStartNs) / 1e6;
            given.push_back(ms);
            error.push_back(ms - interval);
        }
        char label[64];
        std::snprintf(label, sizeof label, "interval %4d ms: window given", interval);
        Bench::printRow(label, given);
        std::snprintf(label, sizeof label, "interval %4d ms: given - set", interval);
        Bench::printRow(label, error);
    }

    std::printf("\nKey press to zone press (key filter + 40 ms poll)\n");
    std::vector<double> delays;
    for (int i = 0; i < 60; ++i) {
        // Land the press at a random point of the poll's cycle.
        QTest::qWait(int(QRandomGenerator::global()->bounded(40)) + 5);
        tableShownNs = -1;
        const qint64 pressedNs = g_clock.nsecsElapsed();
        QTest::keyClick(window.windowHandle(), Qt::Key_D);
        if (tableShownNs < 0) // the click itself lets due events run
            waiting.exec();
        delays.push_back(double(tableShownNs - pressedNs) / 1e6);
    }
    Bench::printRow("tap D -> zone 2 press", delays);
    return 0;
}
