#include "startup/IniStore.h"

#include "startup/SafeWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <optional>

namespace Commands {

namespace {

// The longest value a reader gets, as the classic profile calls give it.
constexpr qsizetype kMaxValueLength = 2047;

// One line of the file: its bytes as they stand and its own line ending, so
// that a rewrite gives back every line it did not change byte for byte.
struct Line {
    QByteArray text;
    QByteArray ending;
};

enum class LineKind { Other, Section, Key };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    QString name;             // section or key name, trimmed
    qsizetype valueStart = 0; // key lines: where the value begins in text
};

QList<Line> splitLines(const QByteArray& bytes)
{
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            lines.append({bytes.mid(start), {}});
            break;
        }
        qsizetype end = nl;
        if (end > start && bytes[end - 1] == '\r')
            --end;
        lines.append({bytes.mid(start, end - start), bytes.mid(end, nl + 1 - end)});
        start = nl + 1;
    }
    return lines;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

ParsedLine parse(const QByteArray& text)
{
    ParsedLine line;
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#'))
        return line;
    if (trimmed.startsWith('[')) {
        qsizetype close = trimmed.indexOf(']');
        if (close < 0)
            close = trimmed.size();
        line.kind = LineKind::Section;
        line.name = QString::fromLocal8Bit(trimmed.mid(1, close - 1).trimmed());
        return line;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals < 0)
        return line;
    line.kind = LineKind::Key;
    line.name = QString::fromLocal8Bit(text.left(equals).trimmed());
    qsizetype valueStart = equals + 1;
    while (valueStart < text.size() && isSpace(text[valueStart]))
        ++valueStart;
    line.valueStart = valueStart;
    return line;
}

QString valueOf(const QByteArray& text, const ParsedLine& line)
{
    QByteArray value = text.mid(line.valueStart).trimmed();
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return QString::fromLocal8Bit(value);
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Reads the whole file; nullopt when it exists but cannot be read, so that a
// writer never replaces a file it could not see.
std::optional<QByteArray> readAll(const QString& file)
{
    QFile f(file);
    if (!f.exists())
        return QByteArray();
    if (QFileInfo(file).isDir() || !f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

QByteArray preferredEnding(const QList<Line>& lines)
{
    for (const Line& line : lines) {
        if (!line.ending.isEmpty())
            return line.ending;
    }
    return "\n";
}

// Names and values that would break the file's line structure are refused.
bool isStorable(const QString& section, const QString& key, const QString& value)
{
    auto hasLineBreak = [](const QString& s) { return s.contains(u'\n') || s.contains(u'\r'); };
    return !section.trimmed().isEmpty() && !key.trimmed().isEmpty() && !hasLineBreak(section) &&
           !hasLineBreak(key) && !hasLineBreak(value) && !section.contains(u']') &&
           !key.contains(u'=') && !key.trimmed().startsWith(u';') &&
           !key.trimmed().startsWith(u'#') && !key.trimmed().startsWith(u'[');
}

} // namespace

QString ReadIniString(const QString& section, const QString& key, const QString& file,
                      const QString& defaultValue)
{
    const std::optional<QByteArray> bytes = readAll(file);
    if (!bytes || bytes->isEmpty())
        return defaultValue;

    bool inSection = false;
    bool sectionSeen = false;
    for (const Line& line : splitLines(*bytes)) {
        const ParsedLine parsed = parse(line.text);
        if (parsed.kind == LineKind::Section) {
            // Only the first section of that name counts.
            if (sectionSeen)
                break;
            inSection = sameName(parsed.name, section);
            sectionSeen = inSection;
        } else if (inSection && parsed.kind == LineKind::Key && sameName(parsed.name, key)) {
            const QString value = valueOf(line.text, parsed);
            return value.isEmpty() ? defaultValue : value.left(kMaxValueLength);
        }
    }
    return defaultValue;
}

void WriteIniString(const QString& section, const QString& key, const QString& value,
                    const QString& file)
{
    if (file.isEmpty() || !isStorable(section, key, value))
        return;
    const std::optional<QByteArray> bytes = readAll(file);
    if (!bytes)
        return;

    QList<Line> lines = splitLines(*bytes);
    const QByteArray eol = preferredEnding(lines);
    const QByteArray keyLine = key.toLocal8Bit() + '=' + value.toLocal8Bit();

    qsizetype sectionLine = -1;
    qsizetype insertAfter = -1; // last key line of the section, or its header
    bool replaced = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const ParsedLine parsed = parse(lines[i].text);
        if (parsed.kind == LineKind::Section) {
            if (sectionLine >= 0)
                break;
            if (sameName(parsed.name, section)) {
                sectionLine = i;
                insertAfter = i;
            }
        } else if (sectionLine >= 0 && parsed.kind == LineKind::Key) {
            if (sameName(parsed.name, key)) {
                // Keep the key's spelling and spacing; only the value changes.
                lines[i].text = lines[i].text.left(parsed.valueStart) + value.toLocal8Bit();
                replaced = true;
                break;
            }
            insertAfter = i;
        }
    }

    if (!replaced) {
        if (sectionLine < 0) {
            if (!lines.isEmpty() && lines.back().ending.isEmpty())
                lines.back().ending = eol;
            lines.append({'[' + section.toLocal8Bit() + ']', eol});
            lines.append({keyLine, eol});
        } else {
            if (lines[insertAfter].ending.isEmpty())
                lines[insertAfter].ending = eol;
            lines.insert(insertAfter + 1, {keyLine, eol});
        }
    }

    QByteArray out;
    for (const Line& line : lines)
        out += line.text + line.ending;

    // A failed write (full disk, read-only folder) leaves the old file whole.
    writeFileSafely(file, out);
}

} // namespace Commands
