#include "base/notification_center.h"

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

void NotificationCenter::postNotification(const QString& name, const void* object) {
    emit notificationPosted(name, object);
}
