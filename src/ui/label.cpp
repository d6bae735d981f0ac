#include "label.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace pairon12 {

Label::Label(Kind kind, QWidget *parent) : QLabel(parent), m_kind(kind)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    // Before any accessible name is set: that is when a screen reader's view of the
    // label is made, and a card must be seen as a button from the first.
    if (kind == Kind::Card)
        setFocusPolicy(Qt::StrongFocus);
}

void Label::paintEvent(QPaintEvent *event)
{
    if (!m_fixedTextColour.isValid())
        QLabel::paintEvent(event);
    QPainter painter(this);
    if (m_fixedTextColour.isValid()) {
        painter.setFont(font());
        painter.setPen(m_fixedTextColour);
        painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
    }
    if (m_kind != Kind::Caption) {
        painter.setPen(QApplication::palette().color(QPalette::Active, QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (m_kind == Kind::Card)
        paintFocusCue(painter, *this);
}

void Label::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (m_kind == Kind::Card && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter))
        press();
    else
        event->ignore(); // arrows and the rest go on to the window
}

void Label::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked();
}

void paintFocusCue(QPainter &painter, const QWidget &card)
{
    if (!card.hasFocus() || !card.window()->testAttribute(Qt::WA_KeyboardFocusChange))
        return;
    const QRect outer = card.rect().adjusted(2, 2, -2, -2);
    const QRect middle = outer.adjusted(2, 2, -2, -2);
    auto ring = [&painter](QRect from, QRect to, const QColor &colour) {
        QPainterPath path;
        path.addRect(from);
        path.addRect(to);
        painter.fillPath(path, colour);
    };
    ring(outer, middle, QColor(0x1a, 0x3f, 0x9c)); // 8:1 against the button face
    ring(middle, middle.adjusted(1, 1, -1, -1), Qt::white);
}

namespace {

class CardAccessible : public QAccessibleWidget
{
public:
    explicit CardAccessible(Label *card) : QAccessibleWidget(card, QAccessible::Button) {}
    QStringList actionNames() const override { return QStringList(pressAction()) << QAccessibleWidget::actionNames(); }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            static_cast<Label *>(widget())->press();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface *cardFactory(const QString &, QObject *object)
{
    auto *label = qobject_cast<Label *>(object);
    return label && label->focusPolicy() != Qt::NoFocus ? new CardAccessible(label) : nullptr;
}

} // namespace

void installCardAccessibility() { QAccessible::installFactory(cardFactory); }

} // namespace pairon12
