#include "appearance/sw_dark_theme.h"

#include <QColor>
#include <QIcon>

#include "appearance/image_tinting.h"

namespace {

QVariant bundleImage(const char* name) {
    const QIcon image = kp_imageWithName(QString::fromLatin1(name));
    return image.isNull() ? QVariant() : QVariant(image);
}

}  // namespace

QVariant SWDarkTheme::windowColor() const {
    return rgb(0.2, 0.2196, 0.2431);
}
QVariant SWDarkTheme::windowHeaderColor() const {
    return rgb(0.1373, 0.1608, 0.1882);
}
QVariant SWDarkTheme::windowHeaderSeparatorColor() const {
    return rgb(0.3059, 0.3333, 0.3647);
}
QVariant SWDarkTheme::textColor() const {
    return white(1.0, 0.85);
}
QVariant SWDarkTheme::deviceHeaderColor() const {
    return textColor();
}
QVariant SWDarkTheme::deviceHeaderBackgroundColor() const {
    return windowHeaderColor();
}
QVariant SWDarkTheme::deviceHeaderBorderColor() const {
    return windowHeaderColor();
}
QVariant SWDarkTheme::sidebarColor() const {
    return rgb(0.1647, 0.1804, 0.2);
}
QVariant SWDarkTheme::sidebarTableTitleColor() const {
    return white(1.0);
}
QVariant SWDarkTheme::sidebarTableSubtitleColor() const {
    return withAlpha(textColor(), 0.7);
}
QVariant SWDarkTheme::progressIndicatorColor() const {
    return textColor();
}
QVariant SWDarkTheme::sidebarTableImageColor() const {
    return white(1.0, 0.85);
}
QVariant SWDarkTheme::sidebarTableSelectedBackgroundColor() const {
    return rgb(0.0784, 0.498, 0.8784);
}
QVariant SWDarkTheme::switchBorderColor() const {
    return white(1.0, 0.5);
}
QVariant SWDarkTheme::sidebarDisabledTitleBackgroundColor() const {
    return rgb(0.1373, 0.149, 0.1725);
}
QVariant SWDarkTheme::sidebarDisabledTitleColor() const {
    return rgb(0.4235, 0.4667, 0.5137);
}
QVariant SWDarkTheme::detailsTableSeparatorColor() const {
    return rgb(0.3059, 0.3333, 0.3647);
}
QVariant SWDarkTheme::detailsTableHeaderColor() const {
    return white(1.0, 0.9);
}
QVariant SWDarkTheme::detailsInfoBackgroundColor() const {
    return withAlpha(windowHeaderColor(), 0.5);
}
QVariant SWDarkTheme::detailsInfoBorderColor() const {
    return withAlpha(windowHeaderColor(), 0.7);
}
QVariant SWDarkTheme::spaceLabelColor() const {
    return rgb(0.2, 0.6196, 0.9647);
}

QVariant SWDarkTheme::tableHeaderSeparatorColor() const {
    return rgb(0.3059, 0.3333, 0.3647);
}
QVariant SWDarkTheme::titleHeaderColor() const {
    return rgb(0.2784, 0.7333, 0.9608);
}
QVariant SWDarkTheme::tableTitleColor() const {
    return textColor();
}
QVariant SWDarkTheme::tableValueColor() const {
    return white(1.0, 0.9);
}
QVariant SWDarkTheme::popoverTitleColor() const {
    return white(1.0);
}
QVariant SWDarkTheme::popoverTextColor() const {
    return rgb(0.5529, 0.5725, 0.5961);
}
QVariant SWDarkTheme::progressBackgroundColor() const {
    return white(1.0, 0.1);
}
QVariant SWDarkTheme::progressFillColor() const {
    return rgb(0.3647, 0.6118, 0.9608);
}
QVariant SWDarkTheme::spinningProgressColor() const {
    return white(1.0);
}
QVariant SWDarkTheme::buttonBackgroundColor() const {
    return rgb(0.3608, 0.4196, 0.4667);
}
QVariant SWDarkTheme::buttonBackgroundColorPressed() const {
    return rgb(0.2863, 0.3333, 0.3686);
}
QVariant SWDarkTheme::buttonStrokeColor() const {
    return QColor(Qt::transparent);
}
QVariant SWDarkTheme::buttonStrokeColorPressed() const {
    return QColor(Qt::transparent);
}
QVariant SWDarkTheme::helpIconImage() const {
    return bundleImage("icon-help-dark");
}
QVariant SWDarkTheme::helpIconAlternateImage() const {
    return bundleImage("icon-help-dark-active");
}
QVariant SWDarkTheme::settingsIconImage() const {
    return bundleImage("icon-settings-dark");
}
QVariant SWDarkTheme::settingsIconAlternateImage() const {
    return bundleImage("icon-settings-dark-active");
}
