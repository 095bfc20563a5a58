#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// Listens to the program from outside: reads what SDL's disk driver wrote and
// finds in it the start of every catalogue recording, converted to the
// device's format the same way the program converts it (one sound plays at a
// time, so each start appears verbatim in the output).
class AudioTimeline {
  public:
    struct Heard {
        QString name;
        qint64 offset = 0; // bytes into everything written so far
        double ms() const; // the same, in milliseconds of output
    };

    explicit AudioTimeline(QString file);

    // Reads what was written since the last call and identifies new starts.
    void poll();
    QList<Heard> heard() const { return m_heard; }
    QStringList names(qsizetype from = 0) const;

    // Waits until a sound whose name is in `names` is heard after position
    // `after` (an index into heard()).
    std::optional<Heard> waitFor(const QStringList& names, qsizetype after, int timeoutMs);
    qsizetype count() const { return m_heard.size(); }
    // Device bytes read so far, and a recording's whole length in them.
    qint64 written() const { return m_stream.size(); }
    qint64 lengthOf(const QString& name) const;

    static QStringList allNames();

  private:
    struct Reference {
        QString name;
        QByteArray key;       // device bytes from the first loud frame on
        qint64 keyOffset = 0; // where the key starts inside the sound
        qint64 length = 0;    // of the whole sound, in device bytes
    };

    QString m_file;
    QList<Reference> m_references;
    QByteArray m_stream;   // everything read so far, across device re-opens
    qint64 m_fileRead = 0; // bytes read of the current file
    qint64 m_searched = 0; // stream position up to which starts are known
    QList<Heard> m_heard;
};
