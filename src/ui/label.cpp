#include "label.h"

#include "ink.h"
#include "layout.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyle>

#include <cmath>

namespace pairon12 {

Label::Label(bool bordered, const Colours &colours, QWidget *parent)
    : QLabel(parent)
    , m_bordered(bordered)
    , m_colours(colours)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void Label::setFixedTextColour(const QColor &colour, const QColor &outline)
{
    m_fixedTextColour = colour;
    m_outline = outline;
    update();
}

void Label::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int flags = static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    if (m_outline.isValid()) {
        // Where the style would place the caption, each letter drawn with a line around it
        // that reads on the ground, and then filled in its own colour.
        const QFontMetrics metrics(font());
        const QRect box = style()->itemTextRect(metrics, contentsRect(), flags, isEnabled(), text());
        QPainterPath letters;
        letters.addText(box.left(), box.top() + metrics.ascent(), font(), text());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.strokePath(letters, QPen(m_outline, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.fillPath(letters, m_fixedTextColour);
        painter.setRenderHint(QPainter::Antialiasing, false);
    } else {
        // The style draws the caption, in its disabled look while disabled, in the colour
        // made to read for the label's state.
        QPalette pal = palette();
        const QPalette::ColorRole role = foregroundRole();
        pal.setColor(role, m_fixedTextColour.isValid() ? m_fixedTextColour
                           : isEnabled()               ? m_colours.caption
                                                       : m_colours.greyedCaption);
        style()->drawItemText(&painter, contentsRect(), flags, pal, isEnabled(), text(), role);
    }
    if (m_bordered)
        paintBorder(painter, *this, m_colours.line);
}

void paintBorder(QPainter &painter, const QWidget &widget, const QColor &colour)
{
    const QRect rect = widget.rect();
    painter.fillRect(rect.left(), rect.top(), rect.width(), 1, colour);
    painter.fillRect(rect.left(), rect.bottom(), rect.width(), 1, colour);
    painter.fillRect(rect.left(), rect.top(), 1, rect.height(), colour);
    painter.fillRect(rect.right(), rect.top(), 1, rect.height(), colour);
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
