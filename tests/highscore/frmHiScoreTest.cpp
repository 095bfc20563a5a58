// The high-score window: what its rows show, how it looks, and a second call
// while it is open.
#include "HiScoreTestSupport.h"
#include "highscore/HighScoreTable.h"
#include "startup/Globals.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

using namespace AppModul;
using hstest::padded;

namespace {

class frmHiScoreTest : public ::testing::Test {
  protected:
    void SetUp() override { Commands::HiScoreFile = m_folder.file("highscore.dat"); }

    TempFolder m_folder;
    HighScoreTable m_table;
};

const QStringList kRankNumbers = {"1.", "2.", "3.", "4.", "5.", "6.", "7.", "8.", "9.", "10."};

} // namespace

TEST_F(frmHiScoreTest, RowsShowTheFileAsStored)
{
    HiScoreTable table;
    const QString names[] = {"Al", QString(20, 'W'), "", "Ute", "x", "10.", "Zoë", "9", "  a", "b"};
    const qint16 points[] = {32767, 120, 0, -5, -32768, 7, 6, 5, 4, 3};
    for (int i = 0; i < kTablePlaces; ++i)
        table[i] = {padded(names[i]), points[i]};
    ASSERT_TRUE(writeHiScoreFile(Commands::HiScoreFile, table));

    hstest::TableWatcher watcher(m_table);
    watcher.show(nullptr);

    ASSERT_EQ(watcher.shown().size(), 1u);
    const hstest::ShownTable& shown = watcher.shown().front();
    const QStringList expectedPoints = {"32767", "120", "0", "-5", "-32768",
                                        "7",     "6",   "5", "4",  "3"};
    for (int i = 0; i < kTablePlaces; ++i) {
        EXPECT_EQ(shown.names[i], padded(names[i])) << "row " << i; // trailing blanks kept
        EXPECT_EQ(shown.points[i], expectedPoints[i]) << "row " << i;
    }
    EXPECT_EQ(shown.numbers, kRankNumbers);
    // The buffer ends on the tenth record.
    EXPECT_EQ(HiScoreRec, table[9]);
}

TEST_F(frmHiScoreTest, MissingFileIsCreatedWithTheDefaultTable)
{
    hstest::TableWatcher watcher(m_table);
    watcher.show(nullptr);
    EXPECT_EQ(m_folder.read("highscore.dat"), encodeTable(defaultTable()));
    ASSERT_EQ(watcher.shown().size(), 1u);
    EXPECT_EQ(watcher.shown().front().names, QStringList(10, "Vuruz Erireviru     "));
    EXPECT_EQ(watcher.shown().front().points, QStringList(10, "20"));
}

TEST_F(frmHiScoreTest, UnreadablePlaceShowsTheBufferInEveryRow)
{
    QDir(m_folder.path()).mkdir("highscore.dat");
    hstest::TableWatcher watcher(m_table);
    watcher.show(nullptr);
    ASSERT_EQ(watcher.shown().size(), 1u);
    EXPECT_EQ(watcher.shown().front().names, QStringList(10, "Vuruz Erireviru     "));
    EXPECT_EQ(watcher.shown().front().points, QStringList(10, "20"));
}

TEST_F(frmHiScoreTest, SecondCallWhileOpenRefreshesAndReturns)
{
    ASSERT_TRUE(writeHiScoreFile(Commands::HiScoreFile, defaultTable()));
    bool nestedReturned = false;
    frmHiScore* first = nullptr;
    std::optional<hstest::ShownTable> refreshed;
    bool stillOpen = false;

    hstest::TableWatcher watcher(m_table, [&](frmHiScore& window) {
        first = &window;
        ASSERT_TRUE(writeHiScoreFile(Commands::HiScoreFile,
                                     hstest::tableWithPoints({9, 8, 7, 6, 5, 4, 3, 2, 1, 0})));
        m_table.show(nullptr); // would open a second window
        nestedReturned = true;
        refreshed = hstest::rowsOf(window);
        stillOpen = window.isVisible() && m_table.window() == &window;
    });
    watcher.show(nullptr);

    EXPECT_TRUE(nestedReturned);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(watcher.shown().size(), 1u);
    ASSERT_TRUE(refreshed);
    EXPECT_EQ(refreshed->names[0], padded("P1"));
    EXPECT_EQ(refreshed->points[9], "0");
    EXPECT_EQ(refreshed->numbers, kRankNumbers);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(m_table.window(), nullptr);
}

TEST_F(frmHiScoreTest, ClosingEnablesTheMainWindow)
{
    QWidget main;
    main.setEnabled(false);
    bool enabledWhileOpen = true;
    hstest::TableWatcher watcher(m_table,
                                 [&](frmHiScore&) { enabledWhileOpen = main.isEnabled(); });
    watcher.show(&main);
    EXPECT_FALSE(enabledWhileOpen);
    EXPECT_TRUE(main.isEnabled());
}

TEST_F(frmHiScoreTest, LooksAsDesigned)
{
    HiScoreTable table = hstest::tableWithPoints({99, 88, 77, 66, 55, 44, 33, 22, 11, -1});
    table[0].PlayerName = QString(20, 'M');
    ASSERT_TRUE(writeHiScoreFile(Commands::HiScoreFile, table));

    QImage image;
    QSize size;
    QSize minSize;
    QSize maxSize;
    Qt::WindowFlags flags;
    QString title;
    QFont nameFont;
    hstest::TableWatcher watcher(m_table, [&](frmHiScore& window) {
        image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        size = window.size();
        minSize = window.minimumSize();
        maxSize = window.maximumSize();
        flags = window.windowFlags();
        title = window.windowTitle();
        nameFont = window.lblHScoreName[0]->font();
        const QString shotDir = qEnvironmentVariable("VURUZ_SCREENSHOT_DIR");
        if (!shotDir.isEmpty())
            image.save(shotDir + "/frmHiScore.png");
    });
    watcher.show(nullptr);
    ASSERT_FALSE(image.isNull());

    EXPECT_EQ(size, QSize(250, 191));
    EXPECT_EQ(minSize, maxSize);
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(title, "High Score");

    // Columns stay aligned and a full name fits its column.
    EXPECT_TRUE(QFontInfo(nameFont).fixedPitch()) << QFontInfo(nameFont).family().toStdString();
    EXPECT_LE(QFontMetrics(nameFont).horizontalAdvance(QString(20, 'M')), 169);
    EXPECT_GE(QFontMetrics(nameFont).horizontalAdvance(QString(20, 'M')), 130);

    const auto at = [&](int x, int y) { return QColor(image.pixel(x, y)); };
    EXPECT_EQ(at(1, 1), QColor(0, 192, 0));
    EXPECT_EQ(at(245, 186), QColor(0, 192, 0));

    // Colours inside a label's area: the first place's points in dark red, the
    // rest in black.
    const auto inks = [&](int left, int top, int width) {
        bool red = false;
        bool black = false;
        for (int y = top; y < top + 17; ++y)
            for (int x = left; x < left + width; ++x) {
                const QColor c = at(x, y);
                red |= c == QColor(192, 0, 0);
                black |= c == QColor(0, 0, 0);
            }
        return std::pair{red, black};
    };
    EXPECT_EQ(inks(208, 16, 41), std::pair(true, false));
    for (int row = 1; row < kTablePlaces; ++row)
        EXPECT_EQ(inks(208, 16 + 16 * row, 41), std::pair(false, true)) << "row " << row;
    EXPECT_EQ(inks(40, 16, 169), std::pair(false, true));
    EXPECT_EQ(inks(8, 160, 25), std::pair(false, true));
    // The twentieth 'M' is drawn inside the window, not clipped away.
    EXPECT_EQ(inks(40 + 150, 16, 19), std::pair(false, true));
}

TEST_F(frmHiScoreTest, EscapeDoesNotCloseTheWindow)
{
    bool openAfterEscape = false;
    hstest::TableWatcher watcher(m_table, [&](frmHiScore& window) {
        QTest::keyClick(&window, Qt::Key_Escape);
        openAfterEscape = window.isVisible();
    });
    watcher.show(nullptr);
    EXPECT_TRUE(openAfterEscape);
}
