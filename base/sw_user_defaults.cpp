#include "base/sw_user_defaults.h"

SWUserDefaults& SWUserDefaults::standardUserDefaults() {
    return sharedInstance<SWUserDefaults>();
}

QVariantMap SWUserDefaults::setupDefaults() const {
    return {{kThemeKey, qint64(FollowSystem)}, {kPlayNotificationSoundKey, true}};
}

qint64 SWUserDefaults::theme() const {
    return integerValue(kThemeKey);
}

void SWUserDefaults::setTheme(qint64 theme) {
    setIntegerValue(kThemeKey, theme);
}

bool SWUserDefaults::playNotificationSound() const {
    return boolValue(kPlayNotificationSoundKey);
}

void SWUserDefaults::setPlayNotificationSound(bool play) {
    setBoolValue(kPlayNotificationSoundKey, play);
}

std::optional<QVariantMap> SWUserDefaults::selectedStates() const {
    const QVariant value = objectValue(kSelectedStatesKey);
    if (value.isNull()) return std::nullopt;
    return value.toMap();
}

void SWUserDefaults::setSelectedStates(const std::optional<QVariantMap>& states) {
    setObjectValue(kSelectedStatesKey, states ? QVariant(*states) : QVariant());
}
