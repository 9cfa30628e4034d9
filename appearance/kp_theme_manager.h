#pragma once

#include <QColor>
#include <QFont>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

#include "appearance/kp_theme.h"

// The current theme and the look-up of theme keys in it, for the whole program.
// Main thread only.
class KPThemeManager {
public:
    // Posted once per theme change on the default notification centre, with the manager
    // as the object.
    static constexpr char kThemeDidUpdateNotification[] =
        "KPThemeManagerNotificationThemeDidUpdate";

    static KPThemeManager& sharedManager();

    void registerTheme(KPTheme& theme);
    QList<KPTheme*> registeredThemes() const { return registeredThemes_; }

    // The class name of the current theme; null before the first change.
    QString currentThemeName() const { return currentThemeName_; }
    // Null before the first successful change.
    KPTheme* currentTheme() const { return currentTheme_; }

    // Makes the theme class of that name current. A theme class is known by name once
    // its shared theme exists (the program creates and registers both at start-up).
    // Answers false for an unknown name, but still records it and announces a change.
    bool changeTheme(const QString& name);

    // The current theme's value for the key, cached until the next change; none is
    // asked for again every time.
    QVariant objectForKey(const QString& key);
    // The value when it has that type, else none.
    QVariant objectForKey(const QString& key, QMetaType requiredType);

    // An invalid colour and a null icon mean none.
    QColor colorForKey(const QString& key);
    std::optional<QFont> fontForKey(const QString& key);
    QIcon imageForKey(const QString& key);
    std::optional<QVariantList> arrayForKey(const QString& key);
    std::optional<QVariantMap> dictionaryForKey(const QString& key);

private:
    KPThemeManager() = default;

    QString currentThemeName_;
    KPTheme* currentTheme_ = nullptr;
    QList<KPTheme*> registeredThemes_;
    QHash<QString, QVariant> objectCache_;
};
