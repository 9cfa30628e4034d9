#include "appearance/kp_image_view.h"

#include <QPainter>
#include <QStyle>

#include "appearance/image_tinting.h"
#include "appearance/kp_theme_manager.h"

KPTintableImageView::KPTintableImageView(QWidget* parent) : QWidget(parent) {}

void KPTintableImageView::setImage(const QIcon& image) {
    source_ = image;
    showTinted();
}

void KPTintableImageView::setTintColor(const QColor& color) {
    tintColor_ = color;
    if (color.isValid()) showTinted();
}

void KPTintableImageView::showTinted() {
    image_ = kp_imageWithTintColor(source_, tintColor_);
    update();
}

void KPTintableImageView::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    QPainter painter(this);
    const QRect area = contentsRect();
    const int side = std::min(area.width(), area.height());
    const QRect square =
        QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, QSize(side, side), area);
    image_.paint(&painter, square, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

KPThemableImageView::KPThemableImageView(QWidget* parent) : KPTintableImageView(parent) {
    themeObserver_.configure(*this);
}

void KPThemableImageView::setTintColorKey(const QString& key) {
    changeThemeKey(tintColorKey_, key);
}

void KPThemableImageView::applyTheme() {
    if (!tintColorKey_.isEmpty()) {
        setTintColor(KPThemeManager::sharedManager().colorForKey(tintColorKey_));
    }
    update();
}

KPTableImageView::KPTableImageView(QWidget* parent) : KPThemableImageView(parent) {
    setTintColorKey(kImageColorKey);
}

void KPTableImageView::setImage(const QIcon& image) {
    originalImage_ = image;
    KPThemableImageView::setImage(image);
}

void KPTableImageView::setAlternativeImage(const QIcon& image) {
    alternativeImage_ = image;
    showImageForStyle();
}

void KPTableImageView::setBackgroundStyle(int style) {
    backgroundStyle_ = style;
    applyTheme();
}

void KPTableImageView::applyTheme() {
    const QString key = QString::fromLatin1(
        backgroundStyle_ == kEmphasizedBackgroundStyle ? kActiveImageColorKey : kImageColorKey);
    // Setting another key applies the theme again, with that key.
    if (key != tintColorKey()) return setTintColorKey(key);
    KPThemableImageView::applyTheme();
    showImageForStyle();
}

void KPTableImageView::showImageForStyle() {
    const bool alternative =
        backgroundStyle_ == kEmphasizedBackgroundStyle && !alternativeImage_.isNull();
    KPThemableImageView::setImage(alternative ? alternativeImage_ : originalImage_);
}
