#pragma once

#include <QString>
#include <QTemporaryDir>

// A real, tiny file system of its own (tmpfs), mounted for one test: a full
// disk or a read-only folder that stops root as well. Needs the right to
// mount; mounted() says whether it worked and why not.
class TinyTmpfs {
  public:
    explicit TinyTmpfs(int kiloBytes);
    ~TinyTmpfs();
    TinyTmpfs(const TinyTmpfs&) = delete;
    TinyTmpfs& operator=(const TinyTmpfs&) = delete;

    bool mounted() const { return m_mounted; }
    QString whyNot() const { return m_whyNot; }
    QString path() const; // ends in '/'
    QString file(const QString& name) const;
    // Fills the free space with a file named name, so the next write finds
    // the disk full.
    void fill(const QString& name) const;
    bool makeReadOnly();

  private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_whyNot;
};
