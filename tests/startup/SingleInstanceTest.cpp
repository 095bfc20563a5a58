#include "support/TempFolder.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int kWaitMs = 60000;

// Copies of the helper and of the game itself, each in a private runtime
// folder so no other running copy on the machine interferes.
class SingleInstance : public ::testing::Test {
protected:
    QString lockFile() const { return m_runtime.file("wendrake-vuruz-erireviru-simulator.lock"); }

    std::unique_ptr<QProcess> start(const QString& program, const QStringList& args = {})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        env.insert("XDG_DATA_HOME", m_runtime.file("data"));
        env.insert("SDL_AUDIODRIVER", "dummy");
        if (env.value("DISPLAY").isEmpty())
            env.insert("QT_QPA_PLATFORM", "offscreen");
        process->setProcessEnvironment(env);
        process->start(program, args);
        process->waitForStarted(kWaitMs);
        return process;
    }

    static bool waitForClaim(QProcess& helper)
    {
        QDeadlineTimer deadline(kWaitMs);
        while (!helper.canReadLine() && helper.state() == QProcess::Running && !deadline.hasExpired())
            helper.waitForReadyRead(1000);
        return helper.canReadLine() && helper.readLine().trimmed() == "claimed";
    }

    // Waits until the lock names this process as its owner.
    bool waitForLockOwner(const QProcess& process) const
    {
        QDeadlineTimer deadline(kWaitMs);
        while (!deadline.hasExpired() && process.state() == QProcess::Running) {
            qint64 pid = 0;
            QString host, app;
            if (QLockFile(lockFile()).getLockInfo(&pid, &host, &app) && pid == process.processId())
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    static void stop(QProcess& process)
    {
        process.kill();
        process.waitForFinished(kWaitMs);
    }

    TempFolder m_runtime;
};

TEST_F(SingleInstance, ASecondCopyEndsAtOnceWhileTheFirstRuns)
{
    auto first = start(INSTANCE_HELPER);
    ASSERT_TRUE(waitForClaim(*first));

    auto second = start(INSTANCE_HELPER);
    ASSERT_TRUE(second->waitForFinished(kWaitMs));
    EXPECT_EQ(second->exitCode(), 3);

    // However long the first copy has run, its lock still holds.
    QFile lock(lockFile());
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                 QFileDevice::FileModificationTime));
    lock.close();
    auto third = start(INSTANCE_HELPER);
    ASSERT_TRUE(third->waitForFinished(kWaitMs));
    EXPECT_EQ(third->exitCode(), 3);

    EXPECT_EQ(first->state(), QProcess::Running);
    first->closeWriteChannel();
    ASSERT_TRUE(first->waitForFinished(kWaitMs));
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_TRUE(first->readAll().contains("released"));
    EXPECT_FALSE(QFileInfo::exists(lockFile()));
}

TEST_F(SingleInstance, ALockLeftByAKilledCopyDoesNotBlock)
{
    auto killed = start(INSTANCE_HELPER);
    ASSERT_TRUE(waitForClaim(*killed));
    stop(*killed);
    ASSERT_TRUE(QFileInfo::exists(lockFile())) << "a killed copy leaves its lock behind";

    auto next = start(INSTANCE_HELPER);
    EXPECT_TRUE(waitForClaim(*next));
    next->closeWriteChannel();
    next->waitForFinished(kWaitMs);
}

TEST_F(SingleInstance, EndProgramReleasesTheLockAndEndsAtOnce)
{
    auto ending = start(INSTANCE_HELPER, {"end"});
    ASSERT_TRUE(waitForClaim(*ending));
    ending->write("quit\n");
    ASSERT_TRUE(ending->waitForFinished(kWaitMs));
    EXPECT_EQ(ending->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(ending->exitCode(), 0);
    EXPECT_FALSE(ending->readAll().contains("released")) << "nothing runs after the end";
    EXPECT_FALSE(QFileInfo::exists(lockFile()));
}

// The game itself: a second start exits silently with status 0 and the first
// keeps running; after the first was killed, the next start runs.
TEST_F(SingleInstance, TheGameStartsOnlyOnce)
{
    auto first = start(VURUZ_PROGRAM);
    ASSERT_TRUE(waitForLockOwner(*first)) << first->readAllStandardError().toStdString();

    auto second = start(VURUZ_PROGRAM);
    ASSERT_TRUE(second->waitForFinished(kWaitMs));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(second->readAllStandardOutput().isEmpty());
    EXPECT_EQ(first->state(), QProcess::Running);

    stop(*first);
    auto third = start(VURUZ_PROGRAM);
    EXPECT_TRUE(waitForLockOwner(*third));
    EXPECT_EQ(third->state(), QProcess::Running);
    stop(*third);
}

}  // namespace
