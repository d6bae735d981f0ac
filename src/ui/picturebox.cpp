#include "picturebox.h"

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

void PictureBox::paintEvent(QPaintEvent *)
{
    if (!m_picture)
        return;
    QPainter painter(this);
    painter.drawPixmap(rect(), m_picture->pixmap(size(), devicePixelRatioF()));
}

void PictureBox::mousePressEvent(QMouseEvent *event) { event->accept(); }
void PictureBox::mouseReleaseEvent(QMouseEvent *event) { event->accept(); }

} // namespace pairon12
