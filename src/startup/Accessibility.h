#pragma once

class QWidget;

// What a screen reader is told of the program's windows, beyond what Qt tells
// by itself.
namespace Commands {

// Leaves `widget` out of what assistive technology reads: a picture or a
// text that is decoration (or is said already by the control it labels).
void markDecorative(QWidget& widget);

} // namespace Commands
