#include "label.h"

#include "ink.h"
#include "layout.h"

#include <QPainter>
#include <QStyle>

#include <cmath>

namespace pairon12 {

Label::Label(bool bordered, QWidget *parent) : QLabel(parent), m_bordered(bordered)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void Label::paintEvent(QPaintEvent *)
{
    // The style draws the caption, in its disabled look while disabled. The colour is the
    // palette's own for the label's state where that reads on the ground; a disabled grey
    // often does not, and is then drawn toward the enabled colour until it does.
    QPalette pal = palette();
    const QPalette::ColorRole role = foregroundRole();
    pal.setColor(role, m_fixedTextColour.isValid()
                           ? m_fixedTextColour
                           : legible(isEnabled() ? pal.color(role) : greyedText(pal, role), pal.color(backgroundRole()),
                                     TextContrast, pal.color(QPalette::Active, role)));
    QPainter painter(this);
    const int flags = static_cast<int>(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
    style()->drawItemText(&painter, contentsRect(), flags, pal, isEnabled(), text(), role);
    if (m_bordered)
        paintBorder(painter, *this);
}

void paintBorder(QPainter &painter, const QWidget &widget)
{
    const QPalette &pal = widget.palette();
    const QColor ink =
        legible(pal.color(QPalette::Active, QPalette::WindowText), pal.color(widget.backgroundRole()), LineContrast);
    const QRect rect = widget.rect();
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
