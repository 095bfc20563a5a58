// Placeholder bodies until the shaped-window control lands.
#include "shape/Transparent.h"

Transparent::Transparent(QWidget* parent) : QWidget(parent) {}
QPixmap Transparent::MaskPicture() const { return m_maskPicture; }
void Transparent::setMaskPicture(const QPixmap& picture) { m_maskPicture = picture; }
quint32 Transparent::MaskColor() const { return m_maskColor; }
void Transparent::setMaskColor(quint32 oleColor) { m_maskColor = oleColor; }
void Transparent::ApplyMaskShape() {}
