// The order the toy's steps and inputs run in: a waiting step holds the rest,
// a handler's own steps run before those queued behind it, an input that
// comes during a wait is handled where events run, under the state then.
#include "game/StepQueue.h"

#include <QStringList>
#include <gtest/gtest.h>

using Game::StepQueue;

namespace {

class StepQueueTest : public ::testing::Test {
  protected:
    // A step that logs `name` and waits until `finish` is called.
    void sound(const QString& name, StepQueue::Kind kind = StepQueue::Kind::Plain)
    {
        queue.wait(
            [this, name](StepQueue::Resume done) {
                log << name;
                pending = std::move(done);
            },
            kind);
    }
    void finish()
    {
        ASSERT_TRUE(pending) << "no step waits";
        std::exchange(pending, {})();
    }
    void note(const QString& name, StepQueue::Kind kind = StepQueue::Kind::Plain)
    {
        queue.run([this, name] { log << name; }, kind);
    }

    StepQueue queue;
    StepQueue::Resume pending;
    QStringList log;
};

} // namespace

TEST_F(StepQueueTest, AWaitHoldsTheStepsBehindIt)
{
    sound("a");
    note("b");
    EXPECT_EQ(log, QStringList{"a"});
    EXPECT_TRUE(queue.busy());
    finish();
    EXPECT_EQ(log, (QStringList{"a", "b"}));
    EXPECT_FALSE(queue.busy());
}

// A handler called from a step (a key of the poll pressing a zone) runs to
// its end, sounds and all, before the next step.
TEST_F(StepQueueTest, StepsAddedByAStepRunBeforeTheRest)
{
    queue.run([this] {
        note("key 1");
        queue.deliver([this] { sound("zone sound"); });
    });
    note("key 2");
    EXPECT_EQ(log, (QStringList{"key 1", "zone sound"}));
    finish();
    EXPECT_EQ(log, (QStringList{"key 1", "zone sound", "key 2"}));
}

// An input during a wait is kept for the next point where events run, and is
// handled there before the steps behind that point; one that finds no such
// point is handled when the steps have run out.
TEST_F(StepQueueTest, InputsDuringAWaitAreHandledWhereEventsRun)
{
    sound("command");
    queue.letEventsRun();
    note("unlock");
    queue.deliver([this] { log << "press 1"; });
    queue.deliver([this] { sound("press 2"); });
    EXPECT_EQ(log, QStringList{"command"});
    finish();
    EXPECT_EQ(log, (QStringList{"command", "press 1", "press 2"}));
    finish();
    EXPECT_EQ(log, (QStringList{"command", "press 1", "press 2", "unlock"}));

    log.clear();
    sound("remark");
    queue.deliver([this] { log << "late press"; });
    finish();
    EXPECT_EQ(log, (QStringList{"remark", "late press"}));
}

// Ticks of one timer that fall due during a wait are one tick, as a timer
// message that waits is not queued again.
TEST_F(StepQueueTest, TicksOfOneSourceWaitOnce)
{
    sound("long sound");
    for (int i = 0; i < 5; ++i) {
        queue.deliver([this] { log << "poll"; }, StepQueue::Source::KeyPoll);
        queue.deliver([this] { log << "time-out"; }, StepQueue::Source::AnswerTimer);
    }
    finish();
    EXPECT_EQ(log, (QStringList{"long sound", "poll", "time-out"}));
}

// A break-off handled where events run drops the command cycle's steps still
// queued, and nothing else.
TEST_F(StepQueueTest, DroppingTheCycleLeavesOtherSteps)
{
    sound("command", StepQueue::Kind::Cycle);
    queue.letEventsRun(StepQueue::Kind::Cycle);
    note("unlock", StepQueue::Kind::Cycle);
    note("next key");
    queue.deliver([this] {
        log << "break-off";
        queue.dropCycle();
    });
    finish();
    EXPECT_EQ(log, (QStringList{"command", "break-off", "next key"}));
    EXPECT_FALSE(queue.busy());
}

// A done that comes twice, or after its queue is gone, does nothing.
TEST_F(StepQueueTest, AStaleDoneIsIgnored)
{
    StepQueue::Resume first;
    {
        StepQueue gone;
        gone.wait([&first](StepQueue::Resume done) { first = std::move(done); });
    }
    first();
    sound("a");
    StepQueue::Resume again = pending;
    note("b");
    finish();
    again();
    EXPECT_EQ(log, (QStringList{"a", "b"}));
}
