#pragma once

#include <QAbstractButton>

namespace pairon12 {

class PictureBox;
struct Colours;

// A card of the grid, as a player meets it. Face down it is a bordered square, the
// card target, that takes the clicks, Space and Enter, and a screen reader's press; as
// a button, it is one pressable element to a screen reader. Face up, the picture of
// its face lies over it and takes the clicks instead, so it cannot be picked twice.
// While the player uses the keys, a ring marks the card that has the keyboard, over
// its face too.
class Card : public QAbstractButton
{
    Q_OBJECT

public:
    // Makes both controls of the card at `pos` (1..24) in its grid cell of `window`, drawn
    // in the player's colours, which the window keeps.
    Card(int pos, const Colours &colours, QWidget *window);
    int position() const { return m_pos; }
    // The picture control over the card, through which a deal gives it its face.
    PictureBox *face() const;
    void setFaceUp(bool up);
    // To follow the window's keyboard cue as it goes on or off.
    void updateRing();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    class Face;
    void paintRing(QPainter &painter) const;

    int m_pos;
    const Colours &m_colours;
    Face *m_face;
};

} // namespace pairon12
