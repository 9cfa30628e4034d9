#include "appearance/desktop_color_scheme.h"

#include <QCoreApplication>
#include <QDBusMessage>

namespace {

constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kSettingsInterface[] = "org.freedesktop.portal.Settings";
constexpr char kAppearanceGroup[] = "org.freedesktop.appearance";
constexpr char kColorSchemeKey[] = "color-scheme";
constexpr uint kPreferDark = 1;
// Long enough for the portal to be started on demand, short enough not to stall start-up
// for long where none can be.
constexpr int kReadTimeoutMs = 1500;

}  // namespace

DesktopColorScheme::DesktopColorScheme(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
    if (!bus_.isConnected()) return;
    // The slot's argument type must be known before the signal can be matched to it.
    qRegisterMetaType<QDBusVariant>();
    bus_.connect(kPortalService, kPortalPath, kSettingsInterface, QStringLiteral("SettingChanged"),
                 this, SLOT(settingChanged(QString, QString, QDBusVariant)));
    prefersDark_ = read();
}

DesktopColorScheme& DesktopColorScheme::sessionScheme() {
    // Owned by the application object, so its bus connection closes before Qt's does.
    static DesktopColorScheme* scheme =
        new DesktopColorScheme(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return *scheme;
}

std::optional<bool> DesktopColorScheme::prefersDarkFromValue(const QVariant& value) {
    QVariant inner = value;
    while (inner.metaType() == QMetaType::fromType<QDBusVariant>()) {
        inner = qvariant_cast<QDBusVariant>(inner).variant();
    }
    bool ok = false;
    const uint scheme = inner.toUInt(&ok);
    if (!ok) return std::nullopt;
    return scheme == kPreferDark;
}

std::optional<bool> DesktopColorScheme::read() const {
    QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath,
                                                       kSettingsInterface, QStringLiteral("Read"));
    call << QString::fromLatin1(kAppearanceGroup) << QString::fromLatin1(kColorSchemeKey);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kReadTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return std::nullopt;
    }
    return prefersDarkFromValue(reply.arguments().first());
}

void DesktopColorScheme::settingChanged(const QString& group, const QString& key,
                                        const QDBusVariant& value) {
    if (group != QLatin1String(kAppearanceGroup) || key != QLatin1String(kColorSchemeKey)) return;
    const std::optional<bool> dark = prefersDarkFromValue(QVariant::fromValue(value));
    if (!dark) return;
    prefersDark_ = dark;
    emit changed();
}
