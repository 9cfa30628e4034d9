#include "appearance/theme_update.h"

#include "appearance/kp_theme_manager.h"
#include "base/notification_center.h"

KPThemeObserver::~KPThemeObserver() {
    QObject::disconnect(connection_);
}

void KPThemeObserver::configure(KPThemeUpdateProtocol& view) {
    if (configured_) return;
    configured_ = true;
    view.applyTheme();
    connection_ = QObject::connect(&NotificationCenter::defaultCenter(),
                                   &NotificationCenter::notificationPosted,
                                   [&view](const QString& name, const void*) {
                                       if (name == KPThemeManager::kThemeDidUpdateNotification) {
                                           view.applyTheme();
                                       }
                                   });
}
