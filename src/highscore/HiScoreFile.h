#pragma once

#include "highscore/HiScoreEntry.h"

#include <QByteArray>
#include <QString>
#include <optional>

// highscore.dat: ten 22-byte records, no header. Each record is the name in
// Windows-1252, space-padded to 20 bytes, then the points as signed 16-bit
// little-endian. Tables written on Windows read the same.
namespace AppModul {

// The name as the file will give it back: the first 20 characters, each one
// that Windows-1252 cannot hold replaced by '?', padded with blanks.
QString fitName(const QString& name);

QByteArray encodeName(const QString& name); // always 20 bytes
QString decodeName(const QByteArray& bytes);

QByteArray encodeTable(const HiScoreTable& table); // 220 bytes
// Records that short data lacks read as a blank name with 0 points.
HiScoreTable decodeTable(const QByteArray& bytes);

// nullopt when the file cannot be opened or read.
std::optional<HiScoreTable> readHiScoreFile(const QString& path);

// Replaces the file's ten records and keeps whatever follows them. The new
// file is written beside the old one and renamed over it, so a failure leaves
// the old file whole. False on any failure.
bool writeHiScoreFile(const QString& path, const HiScoreTable& table);

} // namespace AppModul
