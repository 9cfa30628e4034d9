#include "app/app_options.h"

#include <QDir>

namespace {

// Qt's own options, which QApplication reads and takes out: left alone here.
const QStringList kQtOptionsWithValue = {
    "-platform",    "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry",
    "-qwindowicon", "-qwindowtitle",       "-session",       "-style",  "-stylesheet",
    "-display",     "-geometry",           "-name",          "-title",  "-visual"};
const QStringList kQtFlags = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

}  // namespace

ParsedAppOptions parseAppOptions(const QStringList& arguments) {
    AppOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (kQtOptionsWithValue.contains(arg)) {
            ++i;
        } else if (kQtFlags.contains(arg)) {
            continue;
        } else if (arg == u"--help" || arg == u"-h") {
            options.help = true;
        } else if (arg == u"--version") {
            options.version = true;
        } else if (arg == u"--home" || arg == u"--system-root") {
            if (i + 1 >= arguments.size()) return {std::nullopt, arg + " needs a folder"};
            const QString folder = arguments.at(++i);
            // A relative folder would depend on where the program was started from.
            if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) {
                return {std::nullopt,
                        QStringLiteral("%1 takes an absolute folder, not \u201c%2\u201d")
                            .arg(arg, folder)};
            }
            (arg == u"--home" ? options.home : options.systemRoot) = folder;
        } else {
            return {std::nullopt, QStringLiteral("unknown argument \u201c%1\u201d").arg(arg)};
        }
    }
    return {options, QString()};
}

QString appUsage() {
    return QStringLiteral(
        "usage: sweepwell [--home DIR] [--system-root DIR]\n"
        "       sweepwell --help | --version\n"
        "\n"
        "Scans the home folder (or DIR) for files that can go, and removes the ones you pick.\n"
        "--system-root DIR makes the searches of the whole disk look inside DIR instead of /.\n");
}
