#include "support/TempFolder.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 60000;
const QString kLockName = QStringLiteral("vuruz.lock");

// The pid a lock file names on its first line.
qint64 lockOwner(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

// Copies of the helper and of the game itself, each in a private runtime
// folder so no other running copy on the machine interferes.
class SingleInstance : public ::testing::Test {
  protected:
    QString lockFile() const { return m_runtime.file(kLockName); }

    std::unique_ptr<QProcess> start(const QString& program, const QStringList& args = {},
                                    const QProcessEnvironment& extra = {})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", m_runtime.path());
        for (const QString& name : extra.keys()) {
            if (extra.value(name).isEmpty())
                env.remove(name);
            else
                env.insert(name, extra.value(name));
        }
        env.insert("XDG_DATA_HOME", m_runtime.file("data"));
        env.insert("XDG_CONFIG_HOME", m_runtime.file("config"));
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
        while (!helper.canReadLine() && helper.state() == QProcess::Running &&
               !deadline.hasExpired())
            helper.waitForReadyRead(1000);
        return helper.canReadLine() && helper.readLine().trimmed() == "claimed";
    }

    // Waits until the lock names this process as its owner.
    bool waitForLockOwner(const QProcess& process) const
    {
        QDeadlineTimer deadline(kWaitMs);
        while (!deadline.hasExpired() && process.state() == QProcess::Running) {
            if (lockOwner(lockFile()) == process.processId())
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

// A lock that names no live copy of the game (left by a copy killed between
// creating and writing it, or planted) is taken over by the next start.
TEST_F(SingleInstance, ALockThatNamesNoLiveCopyIsTakenOver)
{
    auto deadPid = [this] {
        auto gone = start("/bin/true");
        gone->waitForFinished(kWaitMs);
        return QByteArray::number(gone->processId());
    };
    const QByteArray host = QSysInfo::machineHostName().toLocal8Bit();
    struct Case {
        const char* what;
        std::function<void(const QString& lock)> plant;
    };
    const Case cases[] = {
        {"empty", [](const QString& lock) { QFile(lock).open(QIODevice::WriteOnly); }},
        {"junk",
         [](const QString& lock) {
             QFile file(lock);
             file.open(QIODevice::WriteOnly);
             file.write("\x01\x02 not a lock at all\n\n");
         }},
        {"dead pid",
         [&](const QString& lock) {
             QFile file(lock);
             file.open(QIODevice::WriteOnly);
             file.write(deadPid() + "\nstartup_instance_helper\n" + host + '\n');
         }},
        {"pid of another program",
         [&](const QString& lock) {
             QFile file(lock);
             file.open(QIODevice::WriteOnly);
             file.write(QByteArray::number(::getppid()) + "\nstartup_instance_helper\n" + host +
                        '\n');
         }},
        {"link to a file elsewhere",
         [this](const QString& lock) {
             m_runtime.write("elsewhere", "precious");
             QFile::link(m_runtime.file("elsewhere"), lock);
         }},
        {"dangling link",
         [this](const QString& lock) { QFile::link(m_runtime.file("nowhere"), lock); }},
        {"pipe", [](const QString& lock) { ::mkfifo(QFile::encodeName(lock).constData(), 0600); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(lockFile());
        c.plant(lockFile());
        // An old lock, as after a crash long ago.
        ::utimes(QFile::encodeName(lockFile()).constData(), nullptr);

        auto next = start(INSTANCE_HELPER);
        EXPECT_TRUE(waitForClaim(*next)) << next->readAllStandardError().toStdString();
        EXPECT_EQ(lockOwner(lockFile()), next->processId());
        // While it runs, its lock holds.
        auto second = start(INSTANCE_HELPER);
        ASSERT_TRUE(second->waitForFinished(kWaitMs));
        EXPECT_EQ(second->exitCode(), 3);
        next->closeWriteChannel();
        next->waitForFinished(kWaitMs);
    }
    EXPECT_EQ(m_runtime.read("elsewhere"), "precious");
    EXPECT_FALSE(QFileInfo::exists(m_runtime.file("nowhere")));
}

// Without a runtime folder the lock lives in a folder of our own: a lock
// file or a folder another user made under a shared name in the system temp
// folder cannot keep the game from starting.
TEST_F(SingleInstance, ALockPlantedInTheSharedTempFolderDoesNotBlock)
{
    TempFolder systemTemp;
    systemTemp.write(kLockName, "4242\nvuruz\nelsewhere\n");
    const QString uid = QString::number(::geteuid());
    for (const QString& name : {QStringLiteral("runtime-root"),
                                "runtime-" + qEnvironmentVariable("USER"), "vuruz-" + uid}) {
        QDir(systemTemp.path()).mkdir(name);
        ::chmod(QFile::encodeName(systemTemp.file(name)).constData(), 0777);
        systemTemp.write(name + '/' + kLockName, "");
    }
    QProcessEnvironment env;
    env.insert("XDG_RUNTIME_DIR", "");
    env.insert("TMPDIR", systemTemp.path());
    env.insert("XDG_CACHE_HOME", systemTemp.file("home/.cache"));

    auto first = start(INSTANCE_HELPER, {}, env);
    ASSERT_TRUE(waitForClaim(*first));
    auto second = start(INSTANCE_HELPER, {}, env);
    ASSERT_TRUE(second->waitForFinished(kWaitMs));
    EXPECT_EQ(second->exitCode(), 3) << "both copies must find the same private lock";
    first->closeWriteChannel();
    first->waitForFinished(kWaitMs);
    EXPECT_EQ(systemTemp.read(kLockName), "4242\nvuruz\nelsewhere\n");
    EXPECT_TRUE(systemTemp.read("vuruz-" + uid + '/' + kLockName).isEmpty());
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

} // namespace
