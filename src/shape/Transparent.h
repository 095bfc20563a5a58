#pragma once

#include <QPixmap>
#include <QWidget>

namespace Shape {
class BlendWatch;
}

// Cuts the window it sits on (its container) to the outline of a picture:
// the pixels whose colour differs from the mask colour.
class Transparent : public QWidget {
    Q_OBJECT
    // Colour before picture, so a stored form shapes the window once.
    Q_PROPERTY(quint32 MaskColor READ MaskColor WRITE setMaskColor)
    Q_PROPERTY(QPixmap MaskPicture READ MaskPicture WRITE setMaskPicture)

  public:
    // System colour 15, the face colour of 3-D elements, in OLE colour form.
    static constexpr quint32 kDefaultMaskColor = 0x8000000F;

    explicit Transparent(QWidget* parent = nullptr);

    QPixmap MaskPicture() const;
    void setMaskPicture(const QPixmap& picture); // a null pixmap is "none"
    quint32 MaskColor() const;
    void setMaskColor(quint32 oleColor); // 0x00BBGGRR, or a system colour

    // The picture the control shows as its own; follows MaskPicture.
    QPixmap Picture() const { return m_picture; }

  Q_SIGNALS:
    void MouseMove(int Button, int Shift, float X, float Y);
    void MouseDown(int Button, int Shift, float X, float Y);
    void MouseUp(int Button, int Shift, float X, float Y);
    // Tells the host that a stored property changed.
    void PropertyChanged(const QString& name);
    // Where the desktop may blend windows, the container is translucent and
    // should show this picture: the mask picture with its soft edge while a
    // compositing manager blends it, the plain one while none does. Emitted
    // again when one starts or stops.
    void DesktopPicture(const QPixmap& picture);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void ApplyMaskShape();
    void blendWithDesktop(QWidget& container);
    void showDesktopPicture();

    QPixmap m_maskPicture;
    quint32 m_maskColor = kDefaultMaskColor;
    QPixmap m_picture;
    Shape::BlendWatch* m_blendWatch = nullptr;
};
