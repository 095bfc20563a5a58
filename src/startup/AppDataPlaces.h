#pragma once

#include <QString>

namespace Commands {

// The folder for the settings file and the high-score table, ending in the
// separator: the program's own folder when it can be written, otherwise a
// folder named after the program in the player's data folder (created here).
// An installed copy usually sits where the player cannot write, and every
// save beside it would be lost.
QString playerFilesFolder(const QString& appPath, const QString& exeName);

// When the player's files live in the data folder and it has no file of this
// name yet, copies the one beside the program there, once: the settings and
// scores the player had beside a now read-only program stay theirs.
void takeOverFileBesideProgram(const QString& appPath, const QString& folder,
                               const QString& fileName);

} // namespace Commands
