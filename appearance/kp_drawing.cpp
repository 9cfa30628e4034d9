#include "appearance/kp_drawing.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
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
    QRgb* const bits = reinterpret_cast<QRgb*>(image.bits());
    const qsizetype stride = image.bytesPerLine() / qsizetype(sizeof(QRgb));
    for (int l = 0; l < lines; ++l) {
        auto pixel = [&](int i) -> QRgb& {
            return horizontal ? bits[l * stride + i] : bits[i * stride + l];
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

// Everything the blurred image depends on: the shape relative to its area, the colour,
// the blur and the pixel ratio.
QString shadowKey(const QPainterPath& path, const QRectF& area, const KPShadow& shadow,
                  qreal ratio) {
    QByteArray key;
    auto put = [&key](auto value) {
        key.append(reinterpret_cast<const char*>(&value), qsizetype(sizeof value));
    };
    put(ratio);
    put(shadow.blurRadius);
    put(shadow.color.rgba64());
    put(int(path.fillRule()));
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        put(int(element.type));
        put(element.x - area.x());
        put(element.y - area.y());
    }
    return QStringLiteral("kp_shadow:") + QString::fromLatin1(key.toBase64());
}

QImage blurredShape(const QPainterPath& path, const QRectF& area, const KPShadow& shadow,
                    qreal ratio) {
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
    return image;
}

}  // namespace

void kp_setPaletteColor(QWidget& widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget.palette();
    palette.setColor(role, color.isValid() ? color : QApplication::palette(&widget).color(role));
    widget.setPalette(palette);
}

qreal kp_devicePixelRatio(const QPainter& painter) {
    return std::sqrt(std::abs(painter.deviceTransform().determinant()));
}

void kp_drawShadow(QPainter& painter, const QPainterPath& path, const KPShadow& shadow) {
    if (!shadow.color.isValid() || shadow.color.alpha() == 0 || path.isEmpty()) return;
    const qreal ratio = kp_devicePixelRatio(painter);
    const qreal margin = std::ceil(3 * shadow.blurRadius) + 1;
    const QRectF area = path.boundingRect().adjusted(-margin, -margin, margin, margin);
    // Views repaint far more often than their shapes change, and the blur is the costly
    // part: blurred shapes are kept in Qt's pixmap cache.
    const QString key = shadowKey(path, area, shadow, ratio);
    QPixmap blurred;
    if (!QPixmapCache::find(key, &blurred)) {
        blurred = QPixmap::fromImage(blurredShape(path, area, shadow, ratio));
        QPixmapCache::insert(key, blurred);
    }
    painter.drawPixmap(area.topLeft() + shadow.offset, blurred);
}

void kp_drawWithOpacity(QPainter& painter, const QSize& size, qreal opacity,
                        const std::function<void(QPainter&)>& draw) {
    if (opacity >= 1.0) return draw(painter);
    const qreal ratio = kp_devicePixelRatio(painter);
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
