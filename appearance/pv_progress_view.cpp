#include "appearance/pv_progress_view.h"

#include <QPainter>
#include <QPainterPath>

#include "appearance/kp_theme_manager.h"

PVProgressView::PVProgressView(QWidget* parent)
    : QWidget(parent), backgroundColor_(QColor::fromRgbF(0.85f, 0.85f, 0.85f, 0.5f)) {}

void PVProgressView::setDoubleValue(double value) {
    doubleValue_ = value;
    update();
}

void PVProgressView::setFillColor(const QColor& color) {
    fillColor_ = color;
    update();
}

void PVProgressView::setFillColors(const std::optional<std::map<double, QColor>>& colors) {
    fillColors_ = colors;
    update();
}

void PVProgressView::setBackgroundColor(const QColor& color) {
    backgroundColor_ = color;
    update();
}

QColor PVProgressView::currentFillColor() const {
    if (!fillColors_) return fillColor_;
    QColor color;
    for (const auto& [threshold, thresholdColor] : *fillColors_) {
        if (threshold > doubleValue_) break;
        color = thresholdColor;
    }
    return color;
}

qreal PVProgressView::cornerRadius() const {
    return qRound(height() / 2.0);
}

void PVProgressView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    const qreal radius = cornerRadius();
    QPainterPath track;
    track.addRoundedRect(bounds, radius, radius);
    if (backgroundColor_.isValid()) painter.fillPath(track, backgroundColor_);
    painter.setClipPath(track);

    const QColor fill = currentFillColor();
    if (doubleValue_ <= 0 || !fill.isValid()) return;
    QPainterPath filled;
    filled.addRoundedRect(
        QRectF(bounds.topLeft(), QSizeF(doubleValue_ * bounds.width(), bounds.height())), radius,
        radius);
    painter.fillPath(filled, fill);
}

PVThemableProgressView::PVThemableProgressView(QWidget* parent) : PVProgressView(parent) {
    themeObserver_.configure(*this);
}

void PVThemableProgressView::setFillColorKey(const QString& key) {
    fillColorKey_ = key;
    applyTheme();
}

void PVThemableProgressView::setFillColorDictKey(const QString& key) {
    fillColorDictKey_ = key;
    applyTheme();
}

void PVThemableProgressView::setBackgroundColorKey(const QString& key) {
    backgroundColorKey_ = key;
    applyTheme();
}

namespace {

// A theme dictionary of thresholds (written as numbers) to colours.
std::optional<std::map<double, QColor>> thresholdColors(const std::optional<QVariantMap>& map) {
    if (!map) return std::nullopt;
    std::map<double, QColor> colors;
    for (auto it = map->begin(); it != map->end(); ++it) {
        bool ok = false;
        const double threshold = it.key().toDouble(&ok);
        if (ok && it.value().metaType() == QMetaType::fromType<QColor>()) {
            colors[threshold] = it.value().value<QColor>();
        }
    }
    return colors;
}

}  // namespace

void PVThemableProgressView::applyTheme() {
    KPThemeManager& themes = KPThemeManager::sharedManager();
    if (!fillColorKey_.isEmpty()) setFillColor(themes.colorForKey(fillColorKey_));
    if (!fillColorDictKey_.isEmpty()) {
        setFillColors(thresholdColors(themes.dictionaryForKey(fillColorDictKey_)));
    }
    if (!backgroundColorKey_.isEmpty()) setBackgroundColor(themes.colorForKey(backgroundColorKey_));
    update();
}
