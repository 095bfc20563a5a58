#include "startup/NumberText.h"

#include <QByteArray>
#include <cmath>
#include <limits>
#include <locale>
#include <sstream>

namespace Commands {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Collects the leading number as plain ASCII ("-12.5e3"), blanks dropped;
// empty when the text does not start with a number.
QByteArray leadingNumberText(const QString& text)
{
    QByteArray out;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };

    skipBlanks();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-')
            out += '-';
        ++i;
    }
    int mantissaDigits = 0;
    for (skipBlanks(); i < n && isDigit(text[i]); skipBlanks()) {
        out += char(text[i].unicode());
        ++i;
        ++mantissaDigits;
    }
    if (i < n && text[i] == u'.') {
        out += '.';
        ++i;
        for (skipBlanks(); i < n && isDigit(text[i]); skipBlanks()) {
            out += char(text[i].unicode());
            ++i;
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return {};

    // An exponent counts only when digits follow it; "1e" is just 1.
    if (i < n && (text[i].toLower() == u'e' || text[i].toLower() == u'd')) {
        qsizetype j = i + 1;
        QByteArray exponent = "e";
        while (j < n && isBlank(text[j]))
            ++j;
        if (j < n && (text[j] == u'+' || text[j] == u'-')) {
            exponent += char(text[j].unicode());
            ++j;
        }
        bool anyDigit = false;
        while (j < n && (isDigit(text[j]) || isBlank(text[j]))) {
            if (isDigit(text[j])) {
                exponent += char(text[j].unicode());
                anyDigit = true;
            }
            ++j;
        }
        if (anyDigit)
            out += exponent;
    }
    return out;
}

template <typename Int> std::optional<Int> roundToInt(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // Half to even, whatever the floating-point rounding mode is.
    const double floorValue = std::floor(value);
    const double fraction = value - floorValue;
    double rounded = floorValue;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floorValue, 2.0) != 0.0))
        rounded = floorValue + 1.0;
    if (rounded < double(std::numeric_limits<Int>::min()) ||
        rounded > double(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

} // namespace

double leadingNumber(const QString& text)
{
    const QByteArray number = leadingNumberText(text);
    if (number.isEmpty())
        return 0.0;
    // The classic locale reads "." whatever the player's locale says. A number
    // too large comes back as the largest double, which then fits no integer;
    // one too small comes back as (nearly) 0.
    std::istringstream in(number.toStdString());
    in.imbue(std::locale::classic());
    double value = 0.0;
    in >> value;
    return value;
}

std::optional<qint16> toInt16(double value)
{
    return roundToInt<qint16>(value);
}

std::optional<qint32> toInt32(double value)
{
    return roundToInt<qint32>(value);
}

} // namespace Commands
