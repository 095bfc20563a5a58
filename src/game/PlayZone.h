#pragma once

#include <QWidget>

// One invisible hot zone over a part of the toy. It draws nothing and turns a
// press of any mouse button into MouseDown with its own index. To assistive
// technology it is a button whose press is a left press on it.
class PlayZone : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Index READ Index WRITE setIndex)

  public:
    explicit PlayZone(QWidget* parent = nullptr);

    int Index() const { return m_index; }
    void setIndex(int index) { m_index = index; }

    // What a left press does.
    void press();

  Q_SIGNALS:
    // Button 1 = left, 2 = right, 4 = middle; Shift 1 = Shift, 2 = Ctrl, 4 = Alt;
    // X and Y in twips relative to the zone.
    void MouseDown(int Index, int Button, int Shift, float X, float Y);

  protected:
    void mousePressEvent(QMouseEvent* event) override;

  private:
    int m_index = 0;
};
