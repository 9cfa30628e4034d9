#include "results/screens/sw_desktop.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDesktopServices>
#include <QSoundEffect>

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

void SWDesktop::beep() {
    QApplication::beep();
}

SWDesktop::SWDesktop() = default;
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
    QDBusConnection::sessionBus().asyncCall(notify);
}

void SWDesktop::playSound(const QUrl& sound) {
    if (!sound_) sound_ = new QSoundEffect(QCoreApplication::instance());
    sound_->setSource(sound);
    sound_->play();
}

void SWDesktop::requestAttention(QWidget* window) {
    QApplication::alert(window);
}
