#include "appearance/kp_text_field.h"

#include <QApplication>

#include "appearance/kp_drawing.h"
#include "appearance/kp_theme_manager.h"

namespace {

void applyFont(QLabel& label, const QString& key) {
    const std::optional<QFont> font = KPThemeManager::sharedManager().fontForKey(key);
    label.setFont(font ? *font : QApplication::font(&label));
}

}  // namespace

KPThemableTextField::KPThemableTextField(QWidget* parent) : QLabel(parent) {
    themeObserver_.configure(*this);
}

void KPThemableTextField::setFontKey(const QString& key) {
    changeThemeKey(fontKey_, key);
}

void KPThemableTextField::setTextColorKey(const QString& key) {
    changeThemeKey(textColorKey_, key);
}

QColor KPThemableTextField::textColor() const {
    return palette().color(QPalette::WindowText);
}

void KPThemableTextField::setTextColor(const QColor& color) {
    kp_setPaletteColor(*this, QPalette::WindowText, color);
}

void KPThemableTextField::applyTheme() {
    if (!fontKey_.isEmpty()) applyFont(*this, fontKey_);
    if (!textColorKey_.isEmpty()) {
        setTextColor(KPThemeManager::sharedManager().colorForKey(textColorKey_));
    }
    update();
}

KPTableTextField::KPTableTextField(QWidget* parent) : QLabel(parent) {
    originalColor_ = textColor();
}

QColor KPTableTextField::textColor() const {
    return palette().color(QPalette::WindowText);
}

void KPTableTextField::setTextColor(const QColor& color) {
    originalColor_ = color;
    showColor(color);
}

void KPTableTextField::setBackgroundStyle(int style) {
    backgroundStyle_ = style;
    showColor(style == kEmphasizedBackgroundStyle ? QColor(Qt::white) : originalColor_);
}

void KPTableTextField::showColor(const QColor& color) {
    kp_setPaletteColor(*this, QPalette::WindowText, color);
}

KPThemableTableTextField::KPThemableTableTextField(QWidget* parent) : KPTableTextField(parent) {
    themeObserver_.configure(*this);
}

void KPThemableTableTextField::setFontKey(const QString& key) {
    changeThemeKey(fontKey_, key);
}

void KPThemableTableTextField::setTextColorKey(const QString& key) {
    changeThemeKey(textColorKey_, key);
}

void KPThemableTableTextField::applyTheme() {
    if (!fontKey_.isEmpty()) applyFont(*this, fontKey_);
    if (!textColorKey_.isEmpty()) {
        setTextColor(KPThemeManager::sharedManager().colorForKey(textColorKey_));
        // A selected row keeps its white text.
        setBackgroundStyle(backgroundStyle());
    }
    update();
}
