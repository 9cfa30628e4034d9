#include "appearance/image_tinting.h"

#include <QFile>
#include <QIconEngine>
#include <QPainter>

#include "appearance/kp_drawing.h"

// Outside any namespace, as Q_INIT_RESOURCE requires.
static void loadBundledImages() {
    Q_INIT_RESOURCE(appearance);
}

namespace {

class TintedIconEngine : public QIconEngine {
public:
    TintedIconEngine(QIcon source, QColor tint) : source_(std::move(source)), tint_(tint) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = kp_devicePixelRatio(*painter);
        painter->drawPixmap(rect, scaledPixmap(rect.size() * ratio, mode, state, ratio));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` is in device pixels: the source is drawn at that many pixels and tinted.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override {
        QPixmap image = source_.pixmap(size, 1.0, mode, state);
        if (image.isNull()) return image;
        QPainter painter(&image);
        painter.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        painter.fillRect(image.rect(), tint_);
        return image;
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return source_.actualSize(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return source_.availableSizes(mode, state);
    }

    QIconEngine* clone() const override { return new TintedIconEngine(source_, tint_); }
    QString key() const override { return QStringLiteral("TintedIconEngine"); }

private:
    QIcon source_;
    QColor tint_;
};

}  // namespace

QIcon kp_imageWithTintColor(const QIcon& image, const QColor& tintColor) {
    if (image.isNull() || !tintColor.isValid()) return image;
    return QIcon(new TintedIconEngine(image, tintColor));
}

QIcon kp_imageWithName(const QString& name) {
    static const bool loaded = (loadBundledImages(), true);
    Q_UNUSED(loaded);
    for (const char* suffix : {".svg", ".png"}) {
        const QString path = QStringLiteral(":/images/") + name + QLatin1String(suffix);
        if (QFile::exists(path)) return QIcon(path);
    }
    return {};
}

QIcon kp_imageWithName(const QString& name, const QColor& tintColor) {
    return kp_imageWithTintColor(kp_imageWithName(name), tintColor);
}
