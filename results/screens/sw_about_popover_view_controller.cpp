#include "results/screens/sw_about_popover_view_controller.h"

#include <QComboBox>
#include <QDate>
#include <QGuiApplication>
#include <QLabel>
#include <QUrl>

#include "appearance/kp_theme_manager.h"
#include "appearance/tg_switch.h"
#include "base/notification_center.h"
#include "base/sw_user_defaults.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_popover_support.h"
#include "ui_sw_about_popover_view_controller.h"

KP_INTERFACE_DEFINITION(SWAboutPopoverViewController);
KP_SCREEN(SWAboutPopoverViewController);

namespace {

// The kit has no themed drop-down: the desktop style's own would stay light in the dark
// theme, so the one drop-down takes its colours and font from the theme keys.
void applyThemeToDropDown(QComboBox* dropDown) {
    KPThemeManager& themes = KPThemeManager::sharedManager();
    QPalette palette = dropDown->palette();
    const QColor field = themes.colorForKey(QStringLiteral("windowHeaderColor"));
    const QColor text = themes.colorForKey(QStringLiteral("textColor"));
    for (const QPalette::ColorRole role : {QPalette::Button, QPalette::Base, QPalette::Window})
        palette.setColor(role, field);
    for (const QPalette::ColorRole role :
         {QPalette::ButtonText, QPalette::Text, QPalette::WindowText})
        palette.setColor(role, text);
    palette.setColor(QPalette::Highlight,
                     themes.colorForKey(QStringLiteral("sidebarTableSelectedBackgroundColor")));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    dropDown->setPalette(palette);
    if (const std::optional<QFont> font = themes.fontForKey(QStringLiteral("textFont")))
        dropDown->setFont(*font);
}

}  // namespace

void SWAboutPopoverViewController::kp_viewDidLoad() {
    applyThemeToDropDown(themeDropDown());
    connect(&NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted,
            themeDropDown(), [dropDown = themeDropDown()](const QString& name, const void*) {
                if (name == KPThemeManager::kThemeDidUpdateNotification)
                    applyThemeToDropDown(dropDown);
            });
    SWUserDefaults& defaults = SWUserDefaults::standardUserDefaults();
    themeDropDown()->setCurrentIndex(int(defaults.theme()));
    notificationSoundSwitch()->setChecked(defaults.playNotificationSound(), false);
    setAppNameAndVersion();
    setCopyright();
    swPreparePopoverView(view());
}

QLabel* SWAboutPopoverViewController::appNameLabel() {
    return swOutlet<QLabel>(view(), "appNameLabel");
}

QLabel* SWAboutPopoverViewController::appVersionLabel() {
    return swOutlet<QLabel>(view(), "appVersionLabel");
}

QLabel* SWAboutPopoverViewController::copyrightLabel() {
    return swOutlet<QLabel>(view(), "copyrightLabel");
}

QComboBox* SWAboutPopoverViewController::themeDropDown() {
    return swOutlet<QComboBox>(view(), "themeDropDown");
}

TGSwitch* SWAboutPopoverViewController::notificationSoundSwitch() {
    return swOutlet<TGSwitch>(view(), "notificationSoundSwitch");
}

void SWAboutPopoverViewController::setAppNameAndVersion() {
    appNameLabel()->setText(QGuiApplication::applicationDisplayName());
    appVersionLabel()->setText(
        QString::fromLatin1(kVersionFormat).arg(QCoreApplication::applicationVersion()));
}

void SWAboutPopoverViewController::setCopyright() {
    QString text = copyrightLabel()->text();
    text.replace(QLatin1String(kCurrentYearPlaceholder),
                 QString::number(QDate::currentDate().year()));
    copyrightLabel()->setText(text);
}

void SWAboutPopoverViewController::on_themeDropDown_activated(int index) {
    SWUserDefaults::standardUserDefaults().setTheme(index);
}

void SWAboutPopoverViewController::on_notificationSoundSwitch_activated() {
    SWUserDefaults::standardUserDefaults().setPlayNotificationSound(
        notificationSoundSwitch()->checked());
}

void SWAboutPopoverViewController::on_supportButton_clicked() {
    SWDesktop::shared().openURL(QUrl(QString::fromLatin1(SWWebAddress::kSupportSite)));
}

void SWAboutPopoverViewController::on_moreAppsButton_clicked() {
    QUrl address(QString::fromLatin1(SWWebAddress::kHomePage));
    address.setQuery(QString::fromLatin1(SWWebAddress::kMoreAppsQuery));
    SWDesktop::shared().openURL(address);
}

void SWAboutPopoverViewController::on_closeButton_clicked() {
    if (std::exchange(closing_, true)) return;
    dismissPopoverAnimated(true);
    swCallOnce(didCloseBlock_);
}
