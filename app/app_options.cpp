#include "app/app_options.h"

#include <QDir>

ParsedAppOptions parseAppOptions(const QStringList& arguments) {
    AppOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (arg == u"--help" || arg == u"-h") {
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
