#pragma once

#include <QMetaObject>
#include <QString>

// What every themed view does when the theme changes: look its theme keys up again.
class KPThemeUpdateProtocol {
public:
    virtual void applyTheme() = 0;

protected:
    ~KPThemeUpdateProtocol() = default;

    // Stores a theme key and applies the theme with it; the same key again does nothing.
    void changeThemeKey(QString& field, const QString& key) {
        if (key == field) return;
        field = key;
        applyTheme();
    }
};

// A themed view's subscription to theme changes. `configure` applies the theme once
// and then again after every change, until the observer (a member of the view) is
// destroyed; later calls do nothing.
class KPThemeObserver {
public:
    KPThemeObserver() = default;
    ~KPThemeObserver();
    KPThemeObserver(const KPThemeObserver&) = delete;
    KPThemeObserver& operator=(const KPThemeObserver&) = delete;

    bool isConfigured() const { return configured_; }
    void configure(KPThemeUpdateProtocol& view);

private:
    bool configured_ = false;
    QMetaObject::Connection connection_;
};
