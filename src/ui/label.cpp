#include "label.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace pairon12 {

Label::Label(bool bordered, QWidget *parent) : QLabel(parent), m_bordered(bordered)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
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
    if (m_bordered) {
        painter.setPen(QApplication::palette().color(QPalette::Active, QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
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

} // namespace pairon12
