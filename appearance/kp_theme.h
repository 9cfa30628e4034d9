#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

// "window-header-color" and "window_header_color" -> "windowHeaderColor": the first
// piece unchanged, every later piece capitalised. A key without separators is unchanged.
QString kp_camelCaseString(const QString& string);

// A set of theme values. A theme answers a key by calling its accessor of that name: a
// `Q_INVOKABLE QVariant key() const` declared by a subclass (the meta-object stands in
// for look-up by selector). A null QVariant is "none".
class KPTheme : public QObject {
    Q_OBJECT
public:
    virtual QString themeName() const { return {}; }

    // The value for `key`, or the undefined-key rule when no accessor has that name.
    QVariant valueForKey(const QString& key) const;
    // Tries the key in camel case; none, with a "[DEBUG]" line in the log, when that
    // fails too.
    QVariant valueForUndefinedKey(const QString& key) const;

    // The one instance of a theme class, created on first request from any thread.
    template <class T>
    static T& sharedTheme() {
        return static_cast<T&>(
            sharedThemeOfClass(T::staticMetaObject.className(), [] { return new T; }));
    }
    // The shared theme of the class with that name, once it exists.
    static KPTheme* existingSharedTheme(const QString& className);

protected:
    KPTheme() = default;

private:
    static KPTheme& sharedThemeOfClass(const QString& className,
                                       const std::function<KPTheme*()>& create);
    // Empty when the theme has no accessor of that name.
    std::optional<QVariant> callAccessor(const QString& name) const;
};
