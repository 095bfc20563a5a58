#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

// The real program binary, copied into a scratch folder of its own so that
// its settings and high-score files, its lock and its rhythm file are private
// to the test. Its audio goes to SDL's disk driver, a real-time paced file.
// With VURUZ_PROGRAM set, that program (an installed copy) runs where it is
// instead, and its settings and table are looked for in its config and data folders.
class ProgramUnderTest {
  public:
    ProgramUnderTest();
    ~ProgramUnderTest();

    QString appDir() const;     // the program's folder, ends in '/'
    QString filesDir() const;   // where its table lives, ends in '/'
    QString runtimeDir() const; // its XDG_RUNTIME_DIR, ends in '/'
    QString audioFile() const;
    QString iniFile() const;
    QString hiScoreFile() const;

    void writeFile(const QString& path, const QByteArray& bytes) const;
    QByteArray readFile(const QString& path) const;

    // Starts a copy; several may run at once (for the single-instance test).
    // `adjust` may change its environment first.
    std::unique_ptr<QProcess>
    start(const std::function<void(QProcessEnvironment&)>& adjust = {}) const;

  private:
    QTemporaryDir m_root;
    QString m_program;
    QString m_filesDir;
    QString m_settingsDir;
};
