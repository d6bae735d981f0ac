#include "label.h"

#include <QApplication>
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
    if (m_bordered)
        paintBorder(painter, rect());
}

void paintBorder(QPainter &painter, const QRect &rect)
{
    const QColor ink = QApplication::palette().color(QPalette::Active, QPalette::WindowText);
    painter.fillRect(rect.left(), rect.top(), rect.width(), 1, ink);
    painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, ink);
    painter.fillRect(rect.left(), rect.top(), 1, rect.height(), ink);
    painter.fillRect(rect.right(), rect.top(), 1, rect.height(), ink);
}

} // namespace pairon12
