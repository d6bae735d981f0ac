#include "label.h"

#include "layout.h"

#include <QApplication>
#include <QPainter>

#include <cmath>

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

QFont captionFont(double points)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"), QStringLiteral("Arial")});
    font.setStyleHint(QFont::SansSerif);
    // Every caption is Latin text that the face covers: no fallback faces to look up.
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setPixelSize(static_cast<int>(std::lround(points * TwipsPerPoint / TwipsPerPixel)));
    font.setBold(true);
    return font;
}

} // namespace pairon12
