#pragma once

#include <QLabel>

namespace pairon12 {

// A label with an opaque ground and an optional one-pixel border drawn in the
// window's text colour, whatever colour its own caption has. Clicked on release,
// as a button is, and only while enabled.
class Label : public QLabel
{
    Q_OBJECT

public:
    explicit Label(bool bordered, QWidget *parent = nullptr);
    // A caption colour that holds even while the label is disabled, where the
    // style would otherwise grey it.
    void setFixedTextColour(const QColor &colour) { m_fixedTextColour = colour; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_bordered;
    bool m_pressed = false;
    QColor m_fixedTextColour;
};

} // namespace pairon12
