#include "picturebox.h"

#include "layout.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResource>

#include <algorithm>
#include <array>

namespace pairon12 {

QPixmap FacePicture::pixmap(QSize size, qreal devicePixelRatio) const
{
    const QSize device = (QSizeF(size) * devicePixelRatio).toSize();
    if (m_cache.size() != device || m_cache.devicePixelRatio() != devicePixelRatio) {
        // The smallest drawing no smaller than the square, shrunk by averaging when the
        // screen's scale falls between two of them; the largest beyond them all.
        constexpr std::array scales{PAIRON12_FACE_SCALES};
        const int wanted = std::max(device.width(), device.height());
        const auto fits =
            std::find_if(scales.begin(), scales.end(), [wanted](int scale) { return scale * CardSide >= wanted; });
        const int scale = fits == scales.end() ? scales.back() : *fits;
        const int side = scale * CardSide;
        const QByteArray pixels = QResource(m_resource + '-' + QString::number(scale) + "x.argb").uncompressedData();
        if (pixels.size() != qsizetype(side) * side * 4)
            return {};
        const QImage drawn(reinterpret_cast<const uchar *>(pixels.constData()), side, side,
                           QImage::Format_ARGB32_Premultiplied);
        if (side == device.width() && side == device.height()) {
            m_cache = QPixmap::fromImage(drawn.copy());
        } else {
            // Averaging blurs the face's light fringe into the card: each pixel is kept
            // whole or left out, as it is in the drawings, so the fringe stays light.
            QImage shrunk = drawn.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                .convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < shrunk.height(); ++y) {
                auto *row = reinterpret_cast<QRgb *>(shrunk.scanLine(y));
                std::transform(row, row + shrunk.width(), row,
                               [](QRgb p) { return qAlpha(p) < 128 ? 0 : p | 0xff000000; });
            }
            m_cache = QPixmap::fromImage(shrunk);
        }
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
