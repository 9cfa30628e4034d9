#include "results/screens/sw_desktop_previewer.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>

#include "results/screens/sw_desktop.h"

namespace {

// GtkDirectionType, as the previewer sends it with SelectionEvent.
int keyForDirection(uint direction) {
    switch (direction) {
        case 2:
            return Qt::Key_Up;
        case 3:
            return Qt::Key_Down;
        case 4:
            return Qt::Key_Left;
        case 5:
            return Qt::Key_Right;
        default:
            return 0;
    }
}

}  // namespace

SWDesktopPreviewer::SWDesktopPreviewer(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
    bus_.connect(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("PropertiesChanged"), this,
                 SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    // Taken as a whole message: version 50 sends the direction as u, older ones as q.
    bus_.connect(kService, kPath, kInterface, QStringLiteral("SelectionEvent"), this,
                 SLOT(selectionEvent(QDBusMessage)));
}

bool SWDesktopPreviewer::isAvailable() const {
    QDBusConnectionInterface* daemon = bus_.isConnected() ? bus_.interface() : nullptr;
    if (!daemon) return false;
    const QString service = QLatin1String(kService);
    if (daemon->isServiceRegistered(service).value()) return true;
    return daemon->activatableServiceNames().value().contains(service);
}

void SWDesktopPreviewer::showFile(const QString& path) {
    QDBusMessage show =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("ShowFile"));
    // No window handle: ours is not one the previewer could use on Wayland, and on X11
    // it only centres the previewer over the window.
    show << QString::fromLatin1(SWFileURI(path)) << QString() << false;
    setVisible(true);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(show, kTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, path] {
        watcher->deleteLater();
        if (!watcher->isError()) return;
        setVisible(false);
        emit failed(path);
    });
}

void SWDesktopPreviewer::close() {
    setVisible(false);
    bus_.asyncCall(
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Close")));
}

void SWDesktopPreviewer::propertiesChanged(const QString& interface, const QVariantMap& changed,
                                           const QStringList&) {
    if (interface != QLatin1String(kInterface)) return;
    const QVariant visible = changed.value(QStringLiteral("Visible"));
    if (visible.isValid()) setVisible(visible.toBool());
}

void SWDesktopPreviewer::selectionEvent(const QDBusMessage& message) {
    if (message.arguments().isEmpty()) return;
    const int key = keyForDirection(message.arguments().constFirst().toUInt());
    if (key) emit selectionKeyPressed(key);
}

void SWDesktopPreviewer::setVisible(bool visible) {
    if (visible_ == visible) return;
    visible_ = visible;
    emit visibilityChanged(visible);
}
