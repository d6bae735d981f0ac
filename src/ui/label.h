#pragma once

#include <QFont>
#include <QLabel>

class QPainter;

namespace pairon12 {

// A label with an opaque ground and, if bordered, a one-pixel border drawn in the
// window's text colour, whatever colour its own caption has. Its caption, disabled or
// not, reads on its ground in any palette.
class Label : public QLabel
{
    Q_OBJECT

public:
    Label(bool bordered, QWidget *parent);
    // A caption colour that holds even while the label is disabled, where the
    // style would otherwise grey it.
    void setFixedTextColour(const QColor &colour) { m_fixedTextColour = colour; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_bordered;
    QColor m_fixedTextColour;
};

// One logical pixel wide on every screen, so that on a denser one the lines that
// neighbouring squares share still cover each other exactly. In `widget`'s text colour,
// or one near it that reads on the widget's ground.
void paintBorder(QPainter &painter, const QWidget &widget);

// A bold plain sans-serif face whose metrics fit every caption in its box. Sizes
// are set in pixels at 96 dpi so that text scales with the twips, not the screen.
QFont captionFont(double points);

} // namespace pairon12
