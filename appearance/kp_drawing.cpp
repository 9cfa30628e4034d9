#include "appearance/kp_drawing.h"

#include <QApplication>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <vector>

namespace {

// One pass of a box blur of the given radius along rows (or columns), on
// premultiplied pixels, so a uniformly coloured shape blurs without dark fringes.
void boxBlur(QImage& image, int radius, bool horizontal) {
    if (radius < 1) return;
    const int width = image.width();
    const int height = image.height();
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    const int window = 2 * radius + 1;
    std::vector<QRgb> line(length);
    for (int l = 0; l < lines; ++l) {
        auto pixel = [&](int i) -> QRgb& {
            return horizontal ? reinterpret_cast<QRgb*>(image.scanLine(l))[i]
                              : reinterpret_cast<QRgb*>(image.scanLine(i))[l];
        };
        for (int i = 0; i < length; ++i)
            line[i] = pixel(i);
        int sum[4] = {0, 0, 0, 0};
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= length) return;
            const QRgb p = line[i];
            sum[0] += sign * qAlpha(p);
            sum[1] += sign * qRed(p);
            sum[2] += sign * qGreen(p);
            sum[3] += sign * qBlue(p);
        };
        for (int i = -radius; i <= radius; ++i)
            add(i, 1);
        for (int i = 0; i < length; ++i) {
            pixel(i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            add(i - radius, -1);
            add(i + radius + 1, 1);
        }
    }
}

// Three box blurs approximate a Gaussian of standard deviation sigma.
void gaussianBlur(QImage& image, qreal sigma) {
    const int radius = qRound((std::sqrt(4.0 * sigma * sigma + 1.0) - 1.0) / 2.0);
    for (int pass = 0; pass < 3; ++pass) {
        boxBlur(image, std::max(radius, 1), true);
        boxBlur(image, std::max(radius, 1), false);
    }
}

}  // namespace

void kp_setPaletteColor(QWidget& widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(role, color.isValid() ? color : QApplication::palette(&widget).color(role));
    widget.setPalette(palette);
}

void kp_drawShadow(QPainter& painter, const QPainterPath& path, const KPShadow& shadow) {
    if (!shadow.color.isValid() || shadow.color.alpha() == 0 || path.isEmpty()) return;
    const qreal ratio = painter.device()->devicePixelRatioF() * painter.worldTransform().m22();
    const qreal margin = std::ceil(3 * shadow.blurRadius) + 1;
    const QRectF area = path.boundingRect().adjusted(-margin, -margin, margin, margin);

    QImage image((area.size() * ratio).toSize() + QSize(1, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter shape(&image);
        shape.setRenderHint(QPainter::Antialiasing);
        shape.scale(ratio, ratio);
        shape.translate(-area.topLeft());
        shape.fillPath(path, shadow.color);
    }
    if (shadow.blurRadius > 0) gaussianBlur(image, shadow.blurRadius * ratio);
    image.setDevicePixelRatio(ratio);
    painter.drawImage(area.topLeft() + shadow.offset, image);
}

void kp_drawWithOpacity(QPainter& painter, const QSize& size, qreal opacity,
                        const std::function<void(QPainter&)>& draw) {
    if (opacity >= 1.0) return draw(painter);
    const qreal ratio = painter.device()->devicePixelRatioF();
    QImage layer(size * ratio, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        draw(layerPainter);
    }
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawImage(QPointF(0, 0), layer);
    painter.restore();
}
