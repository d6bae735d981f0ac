#pragma once

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <memory>

namespace pairon12 {

// A face picture, drawn while building at a few sizes: made ready for the screen only
// when first shown, then kept for that size and pixel ratio. Controls share one
// instance; nothing ever changes it.
class FacePicture
{
public:
    // `resource` names the drawings without their size: ":/faces/f-cat".
    FacePicture(QString resource, QString name) : m_resource(std::move(resource)), m_name(std::move(name)) {}
    // What the picture shows, in words, for those who cannot see it.
    const QString &name() const { return m_name; }
    // Stretched to fill `size` whatever its own proportions; transparent ground kept.
    QPixmap pixmap(QSize size, qreal devicePixelRatio) const;

private:
    QString m_resource;
    QString m_name;
    mutable QPixmap m_cache;
};

using Picture = std::shared_ptr<const FacePicture>;

// A picture control: draws the picture it holds over its whole rectangle and, while
// shown, swallows every click there so that nothing beneath it can be picked.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;
    const Picture &picture() const { return m_picture; }
    void setPicture(Picture picture);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Picture m_picture;
};

} // namespace pairon12
