// Ranking, the name prompt, saving after every game and showing the table
// after a new entry.
#include "highscore/CheckHighScore.h"

#include "HiScoreTestSupport.h"
#include "highscore/NamePrompt.h"
#include "startup/Globals.h"
#include "support/TempFolder.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

using namespace AppModul;
using hstest::padded;

namespace {

class CheckHighScoreTest : public ::testing::Test {
  protected:
    void SetUp() override { Commands::HiScoreFile = m_folder.file("highscore.dat"); }
    // A table a case left open goes with it.
    void TearDown() override
    {
        delete m_table.window();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Answers at once with m_answer.
    struct AnsweringPrompt final : NamePrompt {
        explicit AnsweringPrompt(CheckHighScoreTest& test) : test(test) {}
        void ask(const QWidget*, Answer answer) override
        {
            ++test.m_prompts;
            test.m_promptOpenSeen = test.m_step.namePromptOpen();
            answer(test.m_answer);
        }
        CheckHighScoreTest& test;
    };

    HiScoreTable storedTable() const
    {
        const std::optional<HiScoreTable> table = readHiScoreFile(Commands::HiScoreFile);
        EXPECT_TRUE(table);
        return table.value_or(HiScoreTable{});
    }

    void CheckHighScore(qint16 score, QWidget* mainWindow)
    {
        m_step.CheckHighScore(score, mainWindow);
    }

    TempFolder m_folder;
    QString m_answer = QStringLiteral("Neu");
    int m_prompts = 0;
    bool m_promptOpenSeen = false;
    HighScoreTable m_table;
    AnsweringPrompt m_prompt{*this};
    HighScoreStep m_step{m_prompt, m_table};
};

std::vector<qint16> pointsOf(const HiScoreTable& table)
{
    std::vector<qint16> points;
    for (const HiScoreEntry& e : table)
        points.push_back(e.Points);
    return points;
}

} // namespace

TEST_F(CheckHighScoreTest, RanksTheScoreAndMovesTheRestDown)
{
    struct Case {
        const char* what;
        std::optional<std::vector<qint16>> stored; // nullopt: no file yet
        qint16 score;
        int rank; // 0: does not get in
        std::vector<qint16> after;
    };
    const std::vector<qint16> d(10, 20);
    const Case cases[] = {
        {"no file, equal to the default", std::nullopt, 20, 0, d},
        {"no file, one better", std::nullopt, 21, 1, {21, 20, 20, 20, 20, 20, 20, 20, 20, 20}},
        {"no file, zero", std::nullopt, 0, 0, d},
        {"no file, negative", std::nullopt, -3, 0, d},
        {"equal scores rank below",
         std::vector<qint16>{50, 40, 40, 30, 20, 20, 20, 20, 20, 20},
         40,
         4,
         {50, 40, 40, 40, 30, 20, 20, 20, 20, 20}},
        {"ties the ninth, beats the tenth",
         std::vector<qint16>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0},
         1,
         10,
         {9, 8, 7, 6, 5, 4, 3, 2, 1, 1}},
        {"beats the ninth",
         std::vector<qint16>{9, 8, 7, 6, 5, 4, 3, 1, 1, -1},
         2,
         8,
         {9, 8, 7, 6, 5, 4, 3, 2, 1, 1}},
        {"zero against a worse table",
         std::vector<qint16>(10, -5),
         0,
         1,
         {0, -5, -5, -5, -5, -5, -5, -5, -5, -5}},
        {"hand-edited, out of order",
         std::vector<qint16>{30, 10, 50, 5, 40, 0, 0, 0, 0, 0},
         20,
         2,
         {30, 20, 10, 50, 5, 40, 0, 0, 0, 0}},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(Commands::HiScoreFile);
        HiScoreTable before = defaultTable();
        if (c.stored) {
            before = hstest::tableWithPoints(*c.stored);
            ASSERT_TRUE(writeHiScoreFile(Commands::HiScoreFile, before));
        }
        m_prompts = 0;
        hstest::TableWatcher watcher(m_table);

        CheckHighScore(c.score, nullptr);

        const HiScoreTable after = storedTable();
        EXPECT_EQ(pointsOf(after), c.after);
        EXPECT_EQ(m_prompts, c.rank ? 1 : 0);
        ASSERT_EQ(watcher.shown().size(), c.rank ? 1u : 0u);
        if (c.rank == 0) {
            EXPECT_EQ(after, before);
            continue;
        }
        // The entries above stay, the new one sits at its rank, the rest move
        // down one and the old tenth drops out.
        for (int i = 0; i < kTablePlaces; ++i) {
            const int rank = i + 1;
            const HiScoreEntry expected = rank < c.rank    ? before[i]
                                          : rank == c.rank ? HiScoreEntry{padded("Neu"), c.score}
                                                           : before[i - 1];
            EXPECT_EQ(after[i], expected) << "rank " << rank;
        }
        // The window shows the table just written.
        const hstest::ShownTable& shown = watcher.shown().front();
        for (int i = 0; i < kTablePlaces; ++i) {
            EXPECT_EQ(shown.names[i], after[i].PlayerName);
            EXPECT_EQ(shown.points[i], QString::number(after[i].Points));
        }
    }
}

TEST_F(CheckHighScoreTest, FirstGameCreatesTheDefaultFile)
{
    CheckHighScore(qint16(3), nullptr);
    EXPECT_EQ(m_folder.read("highscore.dat"), encodeTable(defaultTable()));
    EXPECT_EQ(storedTable()[0], (HiScoreEntry{QStringLiteral("Vuruz Erireviru     "), 20}));
}

TEST_F(CheckHighScoreTest, TypedNameIsFittedToTwentyCharacters)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"Bo", padded("Bo")},
        {QString(20, 'n'), QString(20, 'n')},
        {QStringLiteral("Maximilian Mustermann-Übel"), QStringLiteral("Maximilian Musterman")},
        {{}, QString(20, ' ')}, // cancelled
        {QStringLiteral("Paweł"), padded("Pawe?")},
    };
    for (const auto& [typed, stored] : cases) {
        SCOPED_TRACE(typed.toStdString());
        QFile::remove(Commands::HiScoreFile);
        m_answer = typed;
        hstest::TableWatcher watcher(m_table);
        CheckHighScore(qint16(25), nullptr);
        EXPECT_EQ(storedTable()[0], (HiScoreEntry{stored, 25}));
        ASSERT_EQ(watcher.shown().size(), 1u);
        EXPECT_EQ(watcher.shown().front().names[0], stored);
    }
}

TEST_F(CheckHighScoreTest, ShortFileAndTail)
{
    // Two places and a tail-less stub of a third: the missing places count as
    // empty with 0 points and the step goes on.
    const QByteArray shortFile =
        encodeTable(hstest::tableWithPoints({30, 25, 0, 0, 0, 0, 0, 0, 0, 0})).left(50);
    m_folder.write("highscore.dat", shortFile);
    hstest::TableWatcher watcher(m_table);
    CheckHighScore(qint16(1), nullptr);
    HiScoreTable after = storedTable();
    EXPECT_EQ(m_folder.read("highscore.dat").size(), kTableBytes);
    EXPECT_EQ(pointsOf(after), (std::vector<qint16>{30, 25, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(after[2].PlayerName, padded("Neu"));
    EXPECT_EQ(after[3].PlayerName, padded(QString::fromLatin1(shortFile.mid(44, 6))));
    EXPECT_EQ(after[9].PlayerName, padded(""));

    const QByteArray tail("\x01\x02 more data \xFF", 15);
    m_folder.write("highscore.dat", m_folder.read("highscore.dat") + tail);
    CheckHighScore(qint16(100), nullptr);
    CheckHighScore(qint16(-1), nullptr);
    EXPECT_EQ(m_folder.read("highscore.dat").mid(kTableBytes), tail);
    EXPECT_EQ(storedTable()[0].Points, 100);
}

TEST_F(CheckHighScoreTest, UnwritablePlaceLosesNothingAndShowsNothing)
{
    const QByteArray old = encodeTable(hstest::tableWithPoints({9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));
    m_folder.write("highscore.dat", old);
    m_folder.write("blocker", "a file, not a folder");
    QDir(m_folder.path()).mkdir("folder.dat");

    struct Case {
        const char* what;
        QString file;
        bool limitFileSize;
    };
    const Case cases[] = {
        {"folder is a file", m_folder.file("blocker/highscore.dat"), false},
        {"file is a folder", m_folder.file("folder.dat"), false},
        {"write fails half way", m_folder.file("highscore.dat"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Commands::HiScoreFile = c.file;
        hstest::TableWatcher watcher(m_table);

        {
            std::optional<FileSizeLimit> fullDisk;
            if (c.limitFileSize)
                fullDisk.emplace(100);
            CheckHighScore(qint16(50), nullptr);
        }

        EXPECT_TRUE(watcher.shown().empty());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(QApplication::topLevelWidgets().size(), 0);
        EXPECT_EQ(m_folder.read("highscore.dat"), old);
        EXPECT_EQ(m_folder.read("blocker"), "a file, not a folder");
        EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden),
                  (QStringList{"blocker", "highscore.dat"}));
    }
}

// The real prompt, found on screen and typed into.
TEST_F(CheckHighScoreTest, RealPromptAsksForTheName)
{
    DialogNamePrompt realPrompt;
    HighScoreStep step(realPrompt, m_table);
    struct Case {
        QString typed;
        bool ok;
        QString stored;
    };
    const Case cases[] = {
        {QStringLiteral("Zoë"), true, padded(QStringLiteral("Zoë"))},
        {QStringLiteral("Wird verworfen"), false, QString(20, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        QFile::remove(Commands::HiScoreFile);
        QString title;
        QString prompt;
        QString cancelText;
        QString startText = QStringLiteral("<not seen>");
        bool promptFlag = false;
        QTimer finder;
        QObject::connect(&finder, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            finder.stop();
            title = box->windowTitle();
            prompt = box->labelText();
            startText = box->textValue();
            promptFlag = step.namePromptOpen();
            auto* edit = box->findChild<QLineEdit*>();
            ASSERT_TRUE(edit);
            // Key presses carrying their text, so letters beyond ASCII type too.
            for (const QChar ch : c.typed) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
                QApplication::sendEvent(edit, &press);
            }
            auto* buttons = box->findChild<QDialogButtonBox*>();
            ASSERT_TRUE(buttons);
            ASSERT_TRUE(buttons->button(QDialogButtonBox::Cancel));
            cancelText = buttons->button(QDialogButtonBox::Cancel)->text();
            QPushButton* button =
                buttons->button(c.ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
            ASSERT_TRUE(button);
            QTest::mouseClick(button, Qt::LeftButton);
        });
        finder.start(5);
        hstest::TableWatcher watcher(m_table);

        step.CheckHighScore(qint16(21), nullptr);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !step.namePromptOpen(); }, 5000));

        EXPECT_EQ(title, "Neue High Score");
        EXPECT_EQ(prompt, "Du hast es in die High Score geschafft.\nBitte gib Deinen Namen ein...");
        EXPECT_EQ(startText, "");
        EXPECT_EQ(cancelText, "Abbrechen");
        EXPECT_TRUE(promptFlag);
        EXPECT_EQ(storedTable()[0], (HiScoreEntry{c.stored, 21}));
        EXPECT_EQ(watcher.shown().size(), 1u);
    }
}
