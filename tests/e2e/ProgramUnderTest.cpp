#include "ProgramUnderTest.h"

#include "XSession.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

ProgramUnderTest::ProgramUnderTest()
{
    QDir root(m_root.path());
    root.mkpath(QStringLiteral("app"));
    root.mkpath(QStringLiteral("run"));
    root.mkpath(QStringLiteral("data"));
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::copy(QStringLiteral(GAME_BINARY), appDir() + QStringLiteral("vuruz"));
}

ProgramUnderTest::~ProgramUnderTest() = default;

QString ProgramUnderTest::appDir() const { return m_root.path() + QStringLiteral("/app/"); }
QString ProgramUnderTest::runtimeDir() const { return m_root.path() + QStringLiteral("/run/"); }
QString ProgramUnderTest::audioFile() const { return m_root.path() + QStringLiteral("/audio.raw"); }
QString ProgramUnderTest::iniFile() const { return appDir() + QStringLiteral("vuruz.ini"); }
QString ProgramUnderTest::hiScoreFile() const { return appDir() + QStringLiteral("highscore.dat"); }

void ProgramUnderTest::writeFile(const QString& path, const QByteArray& bytes) const
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray ProgramUnderTest::readFile(const QString& path) const
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<QProcess> ProgramUnderTest::start() const
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_root.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), audioFile());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process->setProcessEnvironment(env);
    process->setProgram(appDir() + QStringLiteral("vuruz"));
    XSession::dieWithTest(*process);
    process->start();
    process->waitForStarted(10000);
    return process;
}
