#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// The one place where setting texts become numbers.
namespace Commands {

// The number at the start of the text: leading blanks and blanks between
// digits ignored, an optional sign, decimals and an exponent; 0 when the
// text starts with no number.
double leadingNumber(const QString& text);

// Round half to even; nullopt when the result does not fit the target type.
std::optional<qint16> toInt16(double value);
std::optional<qint32> toInt32(double value);

} // namespace Commands
