#pragma once

#include <QString>

namespace Commands {

// A folder that only this user can enter, ending in the separator: the runtime
// folder when it is truly ours alone, otherwise "vuruz-<uid>" in the system
// temp folder (made here, and used only when it proves ours), otherwise
// "vuruz" in the player's cache folder, otherwise a fresh folder of our own in
// the temp folder. Empty when none can be had.
QString privateFolder();

// True for a real folder (not a link) that this user owns and that nobody
// else may read, write or enter.
bool isPrivateFolder(const QString& path);

// What stands at a path that the game reads without waiting for it.
enum class PlainFile {
    Missing, // nothing there
    Plain,   // a regular file no larger than the limit
    Refused, // a link, pipe, device, folder, an oversized file or unreadable
};

// Looks without following a link and without blocking on a pipe or device.
PlainFile checkPlainFile(const QString& path, qint64 maxBytes);

} // namespace Commands
