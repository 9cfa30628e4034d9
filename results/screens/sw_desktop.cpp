#include "results/screens/sw_desktop.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QSoundEffect>

#include "platform/file_path.h"

namespace {

std::shared_ptr<SWDesktop>& instance() {
    static std::shared_ptr<SWDesktop> desktop = std::make_shared<SWDesktop>();
    return desktop;
}

}  // namespace

SWDesktop& SWDesktop::shared() {
    return *instance();
}

void SWDesktop::setShared(std::shared_ptr<SWDesktop> desktop) {
    instance() = desktop ? std::move(desktop) : std::make_shared<SWDesktop>();
}

void SWDesktop::openURL(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void SWDesktop::revealFile(const QString& path) {
    QDBusMessage show = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    show << QStringList{QString::fromLatin1(SWFileURI(path))} << QString();
    // The bus answers at once with an error when no file manager is registered or
    // activatable; one that hangs is given up on after the timeout.
    auto* watcher =
        new QDBusPendingCallWatcher(bus_.asyncCall(show, kRevealTimeoutMs), &pendingCalls_);
    const QUrl folder = QUrl::fromEncoded(SWFileURI(platform::deletingLastPathComponent(path)));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher, [this, watcher, folder] {
        watcher->deleteLater();
        if (watcher->isError()) openURL(folder);
    });
}

void SWDesktop::beep() {
    QApplication::beep();
}

SWDesktop::SWDesktop() : SWDesktop(QDBusConnection::sessionBus()) {}

SWDesktop::SWDesktop(const QDBusConnection& bus) : bus_(bus) {}

SWDesktop::~SWDesktop() = default;

void SWDesktop::postNotification(const QString& title, const QString& body) {
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QString icon = QGuiApplication::desktopFileName();
    notify << QGuiApplication::applicationDisplayName() << quint32(0) << icon << title << body
           << QStringList() << QVariantMap() << qint32(-1);
    // Sent without waiting: a desktop without the service simply shows nothing.
    bus_.asyncCall(notify);
}

void SWDesktop::playSound(const QUrl& sound) {
    if (!sound_) sound_ = new QSoundEffect(QCoreApplication::instance());
    sound_->setSource(sound);
    sound_->play();
}

void SWDesktop::requestAttention(QWidget* window) {
    QApplication::alert(window);
}

QByteArray SWFileURI(const QString& path) {
    return "file://" + platform::encodePath(path).toPercentEncoding("/");
}
