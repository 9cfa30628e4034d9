#include "appearance/kp_theme_manager.h"

#include "base/notification_center.h"

KPThemeManager& KPThemeManager::sharedManager() {
    static KPThemeManager manager;
    return manager;
}

void KPThemeManager::registerTheme(KPTheme& theme) {
    registeredThemes_.append(&theme);
}

bool KPThemeManager::changeTheme(const QString& name) {
    if (name.isNull() == currentThemeName_.isNull() && name == currentThemeName_) return true;
    KPTheme* theme = KPTheme::existingSharedTheme(name);
    currentThemeName_ = name;
    if (theme) currentTheme_ = theme;
    objectCache_.clear();
    NotificationCenter::defaultCenter().postNotification(kThemeDidUpdateNotification, this);
    return theme != nullptr;
}

QVariant KPThemeManager::objectForKey(const QString& key) {
    const auto cached = objectCache_.constFind(key);
    if (cached != objectCache_.constEnd()) return *cached;
    if (!currentTheme_) return {};
    const QVariant value = currentTheme_->valueForKey(key);
    if (!value.isNull()) objectCache_.insert(key, value);
    return value;
}

QVariant KPThemeManager::objectForKey(const QString& key, QMetaType requiredType) {
    const QVariant value = objectForKey(key);
    return value.metaType() == requiredType ? value : QVariant();
}

QColor KPThemeManager::colorForKey(const QString& key) {
    return objectForKey(key, QMetaType::fromType<QColor>()).value<QColor>();
}

std::optional<QFont> KPThemeManager::fontForKey(const QString& key) {
    const QVariant value = objectForKey(key, QMetaType::fromType<QFont>());
    if (value.isNull()) return std::nullopt;
    return value.value<QFont>();
}

QIcon KPThemeManager::imageForKey(const QString& key) {
    return objectForKey(key, QMetaType::fromType<QIcon>()).value<QIcon>();
}

std::optional<QVariantList> KPThemeManager::arrayForKey(const QString& key) {
    const QVariant value = objectForKey(key, QMetaType::fromType<QVariantList>());
    if (value.isNull()) return std::nullopt;
    return value.toList();
}

std::optional<QVariantMap> KPThemeManager::dictionaryForKey(const QString& key) {
    const QVariant value = objectForKey(key, QMetaType::fromType<QVariantMap>());
    if (value.isNull()) return std::nullopt;
    return value.toMap();
}
