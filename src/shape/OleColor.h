#pragma once

#include <QPalette>
#include <QRgb>

namespace Shape {

// An OLE colour (0x00BBGGRR, or the high bit set and a system colour index in
// the low byte) as the RGB value it stands for now. System colours come from
// the palette; an index the system does not know gives black.
QRgb resolveOleColor(quint32 oleColor, const QPalette& palette);

} // namespace Shape
