#include "appearance/kp_button.h"

#include <QPainter>
#include <QStyle>

#include "appearance/image_tinting.h"
#include "appearance/kp_theme_manager.h"

KPButton::KPButton(QWidget* parent) : QAbstractButton(parent) {
    setIconSize(QSize(20, 20));
    setAttribute(Qt::WA_Hover);
}

void KPButton::setImage(const QIcon& image) {
    image_ = image;
    update();
}

void KPButton::setAlternateImage(const QIcon& image) {
    alternateImage_ = image;
    update();
}

QSize KPButton::sizeHint() const {
    return iconSize() + QSize(4, 4);
}

void KPButton::paintEvent(QPaintEvent*) {
    const bool alternate = (isDown() || isChecked()) && !alternateImage_.isNull();
    const QIcon& shown = alternate ? alternateImage_ : image_;
    if (shown.isNull()) return;
    QPainter painter(this);
    const QRect area = QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, iconSize(), rect());
    shown.paint(&painter, area, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

void KPButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    hovered_ = true;
    update();
    setCursor(Qt::PointingHandCursor);
}

void KPButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    hovered_ = false;
    update();
    unsetCursor();
}

KPTintableImageButton::KPTintableImageButton(QWidget* parent) : KPButton(parent) {}

void KPTintableImageButton::setImage(const QIcon& image) {
    source_ = image;
    showTinted();
}

void KPTintableImageButton::setTintColor(const QColor& color) {
    tintColor_ = color;
    if (color.isValid()) showTinted();
}

void KPTintableImageButton::showTinted() {
    KPButton::setImage(kp_imageWithTintColor(source_, tintColor_));
}

KPThemableImageButton::KPThemableImageButton(QWidget* parent) : KPTintableImageButton(parent) {
    themeObserver_.configure(*this);
}

void KPThemableImageButton::setTintColorKey(const QString& key) {
    changeThemeKey(tintColorKey_, key);
}

void KPThemableImageButton::applyTheme() {
    if (!tintColorKey_.isEmpty()) {
        setTintColor(KPThemeManager::sharedManager().colorForKey(tintColorKey_));
    }
    update();
}

KPThemableButton::KPThemableButton(QWidget* parent) : KPButton(parent) {
    themeObserver_.configure(*this);
}

void KPThemableButton::setImageKey(const QString& key) {
    changeThemeKey(imageKey_, key);
}

void KPThemableButton::setAlternateImageKey(const QString& key) {
    changeThemeKey(alternateImageKey_, key);
}

void KPThemableButton::applyTheme() {
    KPThemeManager& themes = KPThemeManager::sharedManager();
    if (!imageKey_.isEmpty()) {
        const QIcon image = themes.imageForKey(imageKey_);
        setImage(image);
        if (alternateImageKey_.isEmpty()) setAlternateImage(image);
    }
    if (!alternateImageKey_.isEmpty()) setAlternateImage(themes.imageForKey(alternateImageKey_));
    update();
}
