#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace Commands {

// What a save does when the path is a symbolic link.
enum class LinkAtPath {
    WriteThrough, // the player's own link: the file it names gets the bytes
    Replace,      // a shared or planted link: a plain file takes its place
};

// Whether a save waits for the disk. A file made anew at every start (the
// beat) need not survive a power cut, and waiting for it slows the start.
enum class Flush {
    ToDisk,
    NoWait,
};

// Replaces the file at path with bytes, or leaves it exactly as it was. The
// bytes go to a fresh file beside the target first; only when every write and
// the flush to disk have succeeded is it renamed over the old file, which keeps
// its permission bits (when links are written through). False on any failure.
bool writeFileSafely(const QString& path, const QByteArray& bytes,
                     LinkAtPath link = LinkAtPath::WriteThrough, Flush flush = Flush::ToDisk);

// The process's file mode mask, read without changing it.
mode_t currentUmask();

// Removes what a save of path that was killed half-way left beside it: only
// files named the way writeFileSafely names them, owned by this user, whose
// writer is gone or which are old.
void removeStaleSaveFiles(const QString& path);

} // namespace Commands
