#include "base/hx_user_defaults.h"

namespace {

// ~/.config/Sweepwell/Sweepwell.conf, and ~/.config/Sweepwell/<suite>.conf for a suite.
constexpr char kOrganization[] = "Sweepwell";
constexpr char kApplicationDomain[] = "Sweepwell";

}  // namespace

HXUserDefaults::~HXUserDefaults() = default;

QSettings& HXUserDefaults::userDefaults() const {
    if (store_) return *store_;
    const QString suite = suiteName();
    if (!suite.isEmpty()) {
        store_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             kOrganization, suite);
        prefix_ = suite;
    } else {
        store_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             kOrganization, kApplicationDomain);
    }
    const QVariantMap defaults = setupDefaults();
    for (auto it = defaults.begin(); it != defaults.end(); ++it) {
        registeredDefaults_.insert(transformKey(it.key()), it.value());
    }
    return *store_;
}

QString HXUserDefaults::prefix() const {
    userDefaults();
    return prefix_;
}

QString HXUserDefaults::transformKey(const QString& name) const {
    const QString p = prefix();
    return p.isEmpty() ? name : p + QStringLiteral(".") + name;
}

QString HXUserDefaults::defaultsKeyForPropertyNamed(const char* name) const {
    return transformKey(QString::fromUtf8(name));
}

QVariant HXUserDefaults::storedOrRegistered(const QString& key) const {
    return userDefaults().value(key, registeredDefaults_.value(key));
}

void HXUserDefaults::write(const QString& key, const QVariant& value) {
    QSettings& store = userDefaults();
    if (value.isNull()) {
        store.remove(key);
    } else {
        store.setValue(key, value);
    }
    // Written through at once: nothing is left to save when the program ends.
    store.sync();
    emit valueChanged(key);
}

QVariant HXUserDefaults::objectValue(const char* name) const {
    return storedOrRegistered(defaultsKeyForPropertyNamed(name));
}

void HXUserDefaults::setObjectValue(const char* name, const QVariant& value) {
    write(defaultsKeyForPropertyNamed(name), value);
}

bool HXUserDefaults::boolValue(const char* name) const {
    return objectValue(name).toBool();
}

void HXUserDefaults::setBoolValue(const char* name, bool value) {
    write(defaultsKeyForPropertyNamed(name), value);
}

qint64 HXUserDefaults::integerValue(const char* name) const {
    return objectValue(name).toLongLong();
}

void HXUserDefaults::setIntegerValue(const char* name, qint64 value) {
    write(defaultsKeyForPropertyNamed(name), value);
}
