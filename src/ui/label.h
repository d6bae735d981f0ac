#pragma once

#include <QFont>
#include <QLabel>

class QPainter;

namespace pairon12 {

struct Colours;

// A label with an opaque ground and, if bordered, a one-pixel border, in the player's
// colours, which its owner keeps and remakes: its caption, disabled or not, reads on
// its ground in any palette.
class Label : public QLabel
{
    Q_OBJECT

public:
    Label(bool bordered, const Colours &colours, QWidget *parent);
    // A caption colour that holds even while the label is disabled, where the style would
    // otherwise grey it; with an outline around each letter if `outline` is valid.
    void setFixedTextColour(const QColor &colour, const QColor &outline = {});

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_bordered;
    const Colours &m_colours;
    QColor m_fixedTextColour;
    QColor m_outline;
};

// One logical pixel wide on every screen, so that on a denser one the lines that
// neighbouring squares share still cover each other exactly.
void paintBorder(QPainter &painter, const QWidget &widget, const QColor &colour);

// A bold plain sans-serif face whose metrics fit every caption in its box. Sizes
// are set in pixels at 96 dpi so that text scales with the twips, not the screen.
QFont captionFont(double points);

} // namespace pairon12
