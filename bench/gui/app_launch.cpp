#include "bench/gui/app_launch.h"

#include <QApplication>
#include <QDir>
#include <QLocalServer>

#include "engine/removal_log.h"
#include "platform/services.h"

AppLaunch::AppLaunch(const AppOptions& options) {
    QApplication::setApplicationName(QStringLiteral("sweepwell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sweepwell"));
    QApplication::setApplicationVersion(QStringLiteral(SWEEPWELL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.sweepwell.Sweepwell"));

    platform::useFolders(options.home, options.systemRoot);
    instance_ = std::make_unique<SingleInstance>(
        SingleInstance::nameForHome(options.home.isNull() ? QDir::homePath() : options.home));
    if (instance_->activateRunningInstance()) return;
    instance_->listen();
    QSRemovalLog::sharedLog().open(QStringLiteral("app"));

    delegate_ = std::make_unique<AppDelegate>();
    QObject::connect(instance_.get(), &SingleInstance::activationRequested, delegate_.get(),
                     &AppDelegate::activate);
    delegate_->applicationWillFinishLaunching();
    delegate_->applicationDidFinishLaunching();
}

AppLaunch::~AppLaunch() = default;

void AppLaunch::removeLeftSocket(const QString& home) {
    QLocalServer::removeServer(SingleInstance::nameForHome(home));
}
