#pragma once

#include <QString>
#include <QStringList>

namespace Commands {

// The program folders of an installed copy: the one the build was configured
// to install into, and the system's own.
QStringList installFolders();

// True when the program in appPath runs from where it was installed. That
// decides by place, not by permission: root may write into /usr/games, and a
// file dpkg does not own would stay behind there after the game is removed.
bool isInstalledProgram(const QString& appPath, const QStringList& installed = installFolders());

enum class PlayerFile {
    Settings, // vuruz.ini
    Table,    // highscore.dat
};

// The folder for a player file, ending in the separator. A copy run from its
// build or unpacked folder keeps its files beside it while that folder can be
// written; otherwise the settings go to "$XDG_CONFIG_HOME/<exe>/" and the
// table to "$XDG_DATA_HOME/<exe>/", where players and backups look for them
// (created here).
QString playerFilesFolder(const QString& appPath, const QString& exeName, PlayerFile which);
QString playerFilesFolder(const QString& appPath, const QString& exeName, PlayerFile which,
                          bool installed);

// When folder has no file of this name yet, takes over the one an earlier
// version kept, once: first the data folder's (settings used to live there;
// that copy is removed once the new one is safely on disk), then the one
// beside the program (left where it is: it may be the program's folder).
void takeOverOldFile(const QString& appPath, const QString& exeName, const QString& folder,
                     const QString& fileName);

} // namespace Commands
