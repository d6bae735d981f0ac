#pragma once

#include <QLabel>

class QPainter;

namespace pairon12 {

// A label with an opaque ground and an optional one-pixel border drawn in the
// window's text colour, whatever colour its own caption has. Clicked on release,
// as a button is, and only while enabled. A card target also takes the keyboard:
// Space and Enter press it, as a click does.
class Label : public QLabel
{
    Q_OBJECT

public:
    enum class Kind { Caption, Marker, Card };
    explicit Label(Kind kind, QWidget *parent = nullptr);
    // A caption colour that holds even while the label is disabled, where the
    // style would otherwise grey it.
    void setFixedTextColour(const QColor &colour) { m_fixedTextColour = colour; }
    void press() { emit clicked(); }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Kind m_kind;
    bool m_pressed = false;
    QColor m_fixedTextColour;
};

// The ring that shows which card has the keyboard, drawn only while the player uses
// the keys. It lies inside the card's own pixels, clear of the edges that its
// neighbours draw over, and is two-toned so that it shows on any face.
void paintFocusCue(QPainter &painter, const QWidget &card);

// Makes card targets one pressable element each for screen readers.
void installCardAccessibility();

} // namespace pairon12
