#pragma once

#include <QString>
#include <QtGlobal>

// The program-wide variables that start-up fills and the rest of the program reads.
namespace Commands {

inline QString AppPath;     // folder of the program file, ends in the separator
inline QString ExeName;     // program file's base name
inline QString TempDir;     // temporary-files folder, ends in the separator
inline QString AppTitle;    // product title, also the settings section
inline QString IniFile;     // settings file
inline QString HiScoreFile; // AppPath + "highscore.dat"
inline qint16 Language = 0; // 0 = German sound set, anything else English
inline qint16 Score = 0;    // right answers of the running game

inline const QString kProductTitle = QStringLiteral("Wendrake Vuruz Erireviru Simulator");
inline const QString kRhythmFileName = QStringLiteral("rhyRhythm1.wav");

} // namespace Commands
