#include "ProgramUnderTest.h"

#include "XSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

ProgramUnderTest::ProgramUnderTest()
{
    QDir root(m_root.path());
    root.mkpath(QStringLiteral("app"));
    root.mkpath(QStringLiteral("run"));
    root.mkpath(QStringLiteral("data"));
    QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_program = qEnvironmentVariable("VURUZ_PROGRAM");
    if (m_program.isEmpty()) {
        m_program = appDir() + QStringLiteral("vuruz");
        QFile::copy(QStringLiteral(GAME_BINARY), m_program);
        m_filesDir = appDir();
        m_settingsDir = appDir();
    } else {
        // An installed program never writes beside itself: the settings go
        // to the config folder, the table to the data folder.
        const QString name = QFileInfo(m_program).fileName() + u'/';
        m_filesDir = m_root.path() + QStringLiteral("/data/") + name;
        m_settingsDir = m_root.path() + QStringLiteral("/config/") + name;
        root.mkpath(m_filesDir);
        root.mkpath(m_settingsDir);
    }
}

ProgramUnderTest::~ProgramUnderTest() = default;

QString ProgramUnderTest::appDir() const
{
    return m_root.path() + QStringLiteral("/app/");
}
QString ProgramUnderTest::runtimeDir() const
{
    return m_root.path() + QStringLiteral("/run/");
}
QString ProgramUnderTest::audioFile() const
{
    return m_root.path() + QStringLiteral("/audio.raw");
}
QString ProgramUnderTest::filesDir() const
{
    return m_filesDir;
}
QString ProgramUnderTest::iniFile() const
{
    return m_settingsDir + QStringLiteral("vuruz.ini");
}
QString ProgramUnderTest::hiScoreFile() const
{
    return filesDir() + QStringLiteral("highscore.dat");
}

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

std::unique_ptr<QProcess>
ProgramUnderTest::start(const std::function<void(QProcessEnvironment&)>& adjust) const
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_root.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("disk"));
    env.insert(QStringLiteral("SDL_DISKAUDIOFILE"), audioFile());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    if (adjust)
        adjust(env);
    process->setProcessEnvironment(env);
    process->setProgram(m_program);
    XSession::dieWithTest(*process);
    process->start();
    process->waitForStarted(10000);
    return process;
}
