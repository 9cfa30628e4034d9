#pragma once

#include <QDBusConnection>
#include <QDBusVariant>
#include <QObject>
#include <optional>

// The desktop's light or dark preference, as xdg-desktop-portal publishes it
// (org.freedesktop.appearance color-scheme), kept up to date from the portal's
// SettingChanged signal.
class DesktopColorScheme : public QObject {
    Q_OBJECT
public:
    explicit DesktopColorScheme(const QDBusConnection& bus, QObject* parent = nullptr);

    // The instance on the session bus, created on first use (main thread).
    static DesktopColorScheme& sessionScheme();

    // True for "prefer dark", false for any other answer; empty when no portal answers.
    std::optional<bool> prefersDark() const { return prefersDark_; }

    // A color-scheme value as the portal sends it: 1 is dark. Variants may be nested.
    static std::optional<bool> prefersDarkFromValue(const QVariant& value);

signals:
    // The portal announced a new colour scheme.
    void changed();

private slots:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    std::optional<bool> read() const;

    QDBusConnection bus_;
    std::optional<bool> prefersDark_;
};
