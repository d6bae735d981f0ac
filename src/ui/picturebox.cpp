#include "picturebox.h"

#include "label.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace pairon12 {

QPixmap FacePicture::pixmap(QSize size, qreal devicePixelRatio) const
{
    const QSize device = (QSizeF(size) * devicePixelRatio).toSize();
    if (m_cache.size() != device || m_cache.devicePixelRatio() != devicePixelRatio) {
        QImage image(device, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QSvgRenderer renderer(m_resource);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // The view box is mapped onto the whole square, distorting where it must.
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(device)));
        painter.end();
        m_cache = QPixmap::fromImage(std::move(image));
        m_cache.setDevicePixelRatio(devicePixelRatio);
    }
    return m_cache;
}

void PictureBox::setPicture(Picture picture)
{
    if (picture == m_picture)
        return;
    m_picture = std::move(picture);
    if (isVisible())
        update();
}

void PictureBox::setCard(QWidget *card)
{
    m_card = card;
    card->installEventFilter(this);
}

bool PictureBox::eventFilter(QObject *watched, QEvent *event)
{
    // The card repaints itself as it takes or loses the keyboard; its face, drawn over
    // it, must follow.
    if (watched == m_card && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        update();
    return QWidget::eventFilter(watched, event);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    if (!m_picture)
        return;
    QPainter painter(this);
    painter.drawPixmap(rect(), m_picture->pixmap(size(), devicePixelRatioF()));
    if (m_card)
        paintFocusCue(painter, *m_card);
}

void PictureBox::mousePressEvent(QMouseEvent *event) { event->accept(); }
void PictureBox::mouseReleaseEvent(QMouseEvent *event) { event->accept(); }

} // namespace pairon12
