#include "appearance/theme_selection.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

#include "appearance/kp_theme_manager.h"
#include "appearance/rl_helpers.h"
#include "appearance/sw_dark_theme.h"

const QStringList SWThemeSelection::kThemeClassNames = {QStringLiteral("SWLightTheme"),
                                                        QStringLiteral("SWDarkTheme")};

void SWThemeSelection::registerThemes() {
    static const bool registered = [] {
        KPThemeManager::sharedManager().registerTheme(SWLightTheme::sharedTheme());
        KPThemeManager::sharedManager().registerTheme(SWDarkTheme::sharedTheme());
        return true;
    }();
    Q_UNUSED(registered);
}

SWThemeSelection::SWThemeSelection(SWUserDefaults& defaults, DesktopColorScheme& scheme,
                                   QObject* parent)
    : QObject(parent), defaults_(defaults), scheme_(scheme) {
    connect(&defaults_, &HXUserDefaults::valueChanged, this, [this](const QString& key) {
        if (key != defaults_.defaultsKeyForPropertyNamed(SWUserDefaults::kThemeKey)) return;
        QMetaObject::invokeMethod(this, &SWThemeSelection::updateTheme, Qt::QueuedConnection);
    });
    connect(&scheme_, &DesktopColorScheme::changed, this, &SWThemeSelection::updateTheme);
    QCoreApplication::instance()->installEventFilter(this);
}

void SWThemeSelection::updateTheme() {
    qint64 index = defaults_.theme();
    // Anything but light or dark follows the system, so a damaged setting cannot pick a
    // theme that does not exist.
    if (index != SWUserDefaults::Light && index != SWUserDefaults::Dark) {
        index = RLHelpers::isDarkMode(scheme_, QGuiApplication::palette()) ? SWUserDefaults::Dark
                                                                           : SWUserDefaults::Light;
    }
    KPThemeManager::sharedManager().changeTheme(kThemeClassNames.at(index));
}

bool SWThemeSelection::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() &&
        event->type() == QEvent::ApplicationPaletteChange) {
        QTimer::singleShot(kPaletteSettleDelayMs, this, &SWThemeSelection::updateTheme);
    }
    return QObject::eventFilter(watched, event);
}
