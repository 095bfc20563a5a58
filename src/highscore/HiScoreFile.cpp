#include "highscore/HiScoreFile.h"

#include "startup/SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <array>

namespace AppModul {

namespace {

// Windows-1252 at 0x80..0x9F; 0 marks the five bytes the code page leaves
// undefined, which Windows passes through as the C1 control of the same value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr char kUnmappable = '?';

char16_t decodeByte(unsigned char byte)
{
    if (byte < 0x80 || byte >= 0xA0)
        return byte;
    const char16_t mapped = kHighControls[byte - 0x80];
    return mapped != 0 ? mapped : char16_t(byte);
}

char encodeCodePoint(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return char(cp);
    for (int i = 0; i < int(kHighControls.size()); ++i) {
        const char16_t mapped = kHighControls[i];
        if (mapped == cp || (mapped == 0 && cp == char32_t(0x80 + i)))
            return char(0x80 + i);
    }
    return kUnmappable;
}

// What a short file's missing bytes read as: blank name, 0 points.
QByteArray blankRecord()
{
    // fill() with a size would resize the record to the name alone.
    QByteArray record(kRecordSize, '\0');
    std::fill_n(record.begin(), kNameLength, ' ');
    return record;
}

} // namespace

HiScoreEntry defaultEntry()
{
    return {fitName(QStringLiteral("Vuruz Erireviru")), 20};
}

HiScoreTable defaultTable()
{
    HiScoreTable table;
    table.fill(defaultEntry());
    return table;
}

QString fitName(const QString& name)
{
    // Composed form first, so an "é" typed as e + accent still fits one byte.
    const QList<uint> codePoints = name.normalized(QString::NormalizationForm_C).toUcs4();
    QString fitted;
    fitted.reserve(kNameLength);
    for (qsizetype i = 0; i < codePoints.size() && fitted.size() < kNameLength; ++i)
        fitted += QChar(decodeByte(static_cast<unsigned char>(encodeCodePoint(codePoints[i]))));
    return fitted.leftJustified(kNameLength, ' ');
}

QByteArray encodeName(const QString& name)
{
    const QString fitted = fitName(name);
    QByteArray bytes(kNameLength, ' ');
    for (int i = 0; i < kNameLength; ++i)
        bytes[i] = encodeCodePoint(fitted[i].unicode());
    return bytes;
}

QString decodeName(const QByteArray& bytes)
{
    QString name;
    name.reserve(bytes.size());
    for (const char byte : bytes)
        name += QChar(decodeByte(static_cast<unsigned char>(byte)));
    return name;
}

QByteArray encodeTable(const HiScoreTable& table)
{
    QByteArray bytes;
    bytes.reserve(kTableBytes);
    for (const HiScoreEntry& entry : table) {
        bytes += encodeName(entry.PlayerName);
        char points[2];
        qToLittleEndian<qint16>(entry.Points, points);
        bytes.append(points, 2);
    }
    return bytes;
}

HiScoreTable decodeTable(const QByteArray& bytes)
{
    QByteArray data = bytes.left(kTableBytes);
    const QByteArray blank = blankRecord();
    while (data.size() < kTableBytes)
        data += blank.at(data.size() % kRecordSize);

    HiScoreTable table;
    for (int i = 0; i < kTablePlaces; ++i) {
        const char* record = data.constData() + i * kRecordSize;
        table[i].PlayerName = decodeName(QByteArray(record, kNameLength));
        table[i].Points = qFromLittleEndian<qint16>(record + kNameLength);
    }
    return table;
}

std::optional<HiScoreTable> readHiScoreFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(kTableBytes);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return decodeTable(bytes);
}

bool writeHiScoreFile(const QString& path, const HiScoreTable& table)
{
    // Whatever follows the ten records belongs to someone else; keep it, and
    // give up rather than drop it when the old file cannot be read.
    QByteArray tail;
    if (QFileInfo::exists(path)) {
        QFile old(path);
        if (!old.open(QIODevice::ReadOnly))
            return false;
        const QByteArray oldBytes = old.readAll();
        if (old.error() != QFileDevice::NoError)
            return false;
        tail = oldBytes.mid(kTableBytes);
    }

    return Commands::writeFileSafely(path, encodeTable(table) + tail);
}

} // namespace AppModul
