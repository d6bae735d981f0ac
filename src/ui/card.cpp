#include "card.h"

#include "ink.h"
#include "keys.h"
#include "label.h"
#include "layout.h"
#include "picturebox.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>

namespace pairon12 {

// The picture over a card, which must show the card's ring as the card itself would.
class Card::Face : public PictureBox
{
public:
    Face(const Card *card, QWidget *window) : PictureBox(window), m_card(card) {}

protected:
    void paintEvent(QPaintEvent *event) override
    {
        PictureBox::paintEvent(event);
        QPainter painter(this);
        if (m_card)
            m_card->paintRing(painter);
    }

private:
    // A sibling, which the window may destroy first.
    QPointer<const Card> m_card;
};

Card::Card(int pos, const Colours &colours, QWidget *window)
    : QAbstractButton(window)
    , m_pos(pos)
    , m_colours(colours)
    , m_face(new Face(this, window))
{
    const int cell = gridCellOf(pos);
    setObjectName(QStringLiteral("Label%1").arg(cell));
    m_face->setObjectName(QStringLiteral("Image%1").arg(cell));
    setGeometry(cellRect(cell));
    m_face->setGeometry(cellRect(cell));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setFocusPolicy(Qt::StrongFocus);
    setFaceUp(false);
}

PictureBox *Card::face() const { return m_face; }

void Card::setFaceUp(bool up)
{
    m_face->setVisible(up);
    // Named by its face only while it shows it; the picture itself stays nameless, so
    // that a screen reader meets each card once.
    setAccessibleName(up && m_face->picture() ? QStringLiteral("Carta %1: %2").arg(m_pos).arg(m_face->picture()->name())
                                              : QStringLiteral("Carta %1, coperta").arg(m_pos));
}

void Card::updateRing()
{
    update();
    m_face->update();
}

void Card::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintBorder(painter, *this, m_colours.line);
    paintRing(painter);
}

void Card::paintRing(QPainter &painter) const
{
    if (!hasFocus() || !window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    // Counted in whole pixels of whatever the painter paints on, at the painter's scale (a
    // grab at another scale has its own), in from the border's: so it is as wide and as far
    // from the border on every side, where logical insets would land on fractions of a pixel
    // at scales such as 125 %. Clear of the edges its neighbours draw over.
    const QTransform toDevice = painter.deviceTransform();
    const qreal scale = toDevice.m11();
    auto device = [scale](int logical) { return qRound(logical * scale); };
    const QRect within(toDevice.map(QPoint(1, 1)), toDevice.map(QPoint(width() - 1, height() - 1)) - QPoint(1, 1));
    const QRect outer = within.adjusted(device(1), device(1), -device(1), -device(1));
    const QRect middle = outer.adjusted(device(2), device(2), -device(2), -device(2));
    const QRect inner = middle.adjusted(device(1), device(1), -device(1), -device(1));
    painter.save();
    painter.setWorldTransform(toDevice.inverted());
    auto ring = [&painter](QRect from, QRect to, const QColor &colour) {
        QPainterPath path;
        path.addRect(from);
        path.addRect(to);
        painter.fillPath(path, colour);
    };
    ring(outer, middle, m_colours.ring);
    ring(middle, inner, m_colours.ringTone);
    painter.restore();
}

void Card::keyPressEvent(QKeyEvent *event)
{
    // Turned as the key goes down, with no wait for its release as a button would have;
    // the window keeps a held key's repeats from it. Arrows and the rest go on to the window.
    if (keyDoes(event->key(), KeyboardAt::Card) == KeyDoes::Press)
        click();
    else
        event->ignore();
}

void Card::focusInEvent(QFocusEvent *event)
{
    QAbstractButton::focusInEvent(event);
    m_face->update();
}

void Card::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    m_face->update();
}

} // namespace pairon12
