#include "appearance/kp_theme.h"

#include <QMetaMethod>
#include <QRegularExpression>
#include <map>
#include <mutex>

#include "base/system_log.h"

QString kp_camelCaseString(const QString& string) {
    static const QRegularExpression separators(QStringLiteral("[-_]"));
    const QStringList pieces = string.split(separators);
    if (pieces.size() == 1) return string;
    QString result = pieces.first();
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        const QString& piece = pieces[i];
        result += piece.left(1).toUpper() + piece.mid(1).toLower();
    }
    return result;
}

namespace {

struct ThemeRegistry {
    std::mutex mutex;
    std::map<QString, std::unique_ptr<KPTheme>> themes;
};

ThemeRegistry& registry() {
    static ThemeRegistry instance;
    return instance;
}

}  // namespace

KPTheme& KPTheme::sharedThemeOfClass(const QString& className,
                                     const std::function<KPTheme*()>& create) {
    ThemeRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    std::unique_ptr<KPTheme>& slot = r.themes[className];
    if (!slot) slot.reset(create());
    return *slot;
}

KPTheme* KPTheme::existingSharedTheme(const QString& className) {
    ThemeRegistry& r = registry();
    std::lock_guard lock(r.mutex);
    const auto it = r.themes.find(className);
    return it == r.themes.end() ? nullptr : it->second.get();
}

std::optional<QVariant> KPTheme::callAccessor(const QString& name) const {
    const QMetaObject* meta = metaObject();
    const int index = meta->indexOfMethod(
        QMetaObject::normalizedSignature((name + QStringLiteral("()")).toUtf8()));
    // Only the accessors that themes declare: never QObject's own slots.
    if (index < KPTheme::staticMetaObject.methodCount()) return std::nullopt;
    const QMetaMethod method = meta->method(index);
    if (method.methodType() != QMetaMethod::Method ||
        method.returnMetaType() != QMetaType::fromType<QVariant>()) {
        return std::nullopt;
    }
    QVariant value;
    method.invoke(const_cast<KPTheme*>(this), Qt::DirectConnection, Q_RETURN_ARG(QVariant, value));
    return value;
}

QVariant KPTheme::valueForKey(const QString& key) const {
    if (std::optional<QVariant> value = callAccessor(key)) return *value;
    return valueForUndefinedKey(key);
}

QVariant KPTheme::valueForUndefinedKey(const QString& key) const {
    const QString camelCaseKey = kp_camelCaseString(key);
    const std::optional<QVariant> value = callAccessor(camelCaseKey);
    if (value && !value->isNull()) return *value;
    base::log(QStringLiteral("[DEBUG] %1 could not find value for key: %2")
                  .arg(QString::fromLatin1(metaObject()->className()), camelCaseKey));
    return {};
}
