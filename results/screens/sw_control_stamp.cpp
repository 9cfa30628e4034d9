#include "results/screens/sw_control_stamp.h"

#include <QPainter>
#include <QWidget>

SWControlStamp::SWControlStamp(QWidget* control, QSize size) : control_(control), size_(size) {
    // A control lays its drawing out when it is shown: shown once, never on screen, then
    // hidden again so that no window of it is left for the pointer or a screen reader.
    control_->setAttribute(Qt::WA_DontShowOnScreen);
    control_->resize(size);
    control_->show();
    control_->hide();
}

SWControlStamp::~SWControlStamp() = default;

QPixmap SWControlStamp::image(const QPainter* painter) const {
    const qreal ratio = painter->device()->devicePixelRatioF();
    QPixmap image(control_->size() * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    control_->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QRect SWControlStamp::centredRect(const QRect& rect) const {
    QRect centred(QPoint(0, 0), size_);
    centred.moveCenter(rect.center());
    return centred;
}

void SWControlStamp::paintCentred(QPainter* painter, const QRect& rect) const {
    painter->drawPixmap(centredRect(rect).topLeft(), image(painter));
}
