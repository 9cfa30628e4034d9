#include <QApplication>
#include <QDir>
#include <QIcon>

#include "app/app_delegate.h"
#include "app/app_options.h"
#include "app/single_instance.h"
#include "engine/removal_log.h"
#include "platform/services.h"

namespace {

int printAndExit(const QString& text, int status) {
    fputs(text.toLocal8Bit().constData(), status == 0 ? stdout : stderr);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const ParsedAppOptions parsed = parseAppOptions(arguments);
    if (!parsed.options) return printAndExit("sweepwell: " + parsed.error + "\n" + appUsage(), 2);
    const AppOptions& options = *parsed.options;
    if (options.help) return printAndExit(appUsage(), 0);
    if (options.version)
        return printAndExit(QStringLiteral("sweepwell " SWEEPWELL_VERSION "\n"), 0);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("sweepwell"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sweepwell"));
    QApplication::setApplicationVersion(QStringLiteral(SWEEPWELL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.sweepwell.Sweepwell"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/sweepwell.svg")));

    platform::useFolders(options.home, options.systemRoot);
    SingleInstance instance(
        SingleInstance::nameForHome(options.home.isNull() ? QDir::homePath() : options.home));
    if (instance.activateRunningInstance()) return 0;
    instance.listen();
    QSRemovalLog::sharedLog().open(QStringLiteral("app"));

    AppDelegate delegate;
    QObject::connect(&instance, &SingleInstance::activationRequested, &delegate,
                     &AppDelegate::activate);
    delegate.applicationWillFinishLaunching();
    delegate.applicationDidFinishLaunching();
    return app.exec();
}
