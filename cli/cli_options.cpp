#include "cli/cli_options.h"

#include <QDir>
#include <QRegularExpression>
#include <cstring>

#include "platform/file_path.h"

namespace {

QString argumentAt(char** argv, int i) {
    return platform::decodePath(argv[i], qsizetype(std::strlen(argv[i])));
}

QString absolute(const QString& path) {
    if (path.startsWith(u'/')) return path;
    return platform::appendPathComponent(platform::decodePath(QDir::currentPath().toUtf8()), path);
}

// "list", nothing, or "enable"/"disable" followed by the item's path.
bool parseLoginAction(int argc, char** argv, int* next, CliOptions* options) {
    const QString action = *next < argc ? argumentAt(argv, *next) : QString();
    if (action.isNull() || action.startsWith(QStringLiteral("--"))) return true;
    ++*next;
    if (action == u"list") return true;
    if (action != u"enable" && action != u"disable") return false;
    if (*next >= argc) return false;
    options->loginAction =
        action == u"enable" ? CliOptions::LoginAction::Enable : CliOptions::LoginAction::Disable;
    options->loginItemPath = argumentAt(argv, (*next)++);
    return true;
}

}  // namespace

QString cliUsage() {
    return QStringLiteral(
        "usage: sweepwell-cli scan  [--home DIR] [--system-root DIR] [--volume PATH]\n"
        "                           [--category KEY]... [--json]\n"
        "       sweepwell-cli clean [--home DIR] [--system-root DIR] [--volume PATH]\n"
        "                           --category KEY... [--path PATH]... [--name NAME]... [--yes]\n"
        "                           [--json]\n"
        "       sweepwell-cli login-items [list] [--home DIR] [--system-root DIR] [--json]\n"
        "       sweepwell-cli login-items enable|disable PATH [--home DIR] [--system-root DIR]\n");
}

ParsedOptions parseCliOptions(int argc, char** argv) {
    if (argc < 2) return {std::nullopt, QStringLiteral("missing command")};
    CliOptions options;
    const QString command = argumentAt(argv, 1);
    if (command == u"scan") {
        options.command = CliOptions::Command::Scan;
    } else if (command == u"clean") {
        options.command = CliOptions::Command::Clean;
    } else if (command == u"login-items") {
        options.command = CliOptions::Command::LoginItems;
    } else if (command == u"--help" || command == u"-h" || command == u"help") {
        return {options, QString()};
    } else {
        return {std::nullopt, QStringLiteral("unknown command \u201c%1\u201d").arg(command)};
    }
    const bool clean = options.command == CliOptions::Command::Clean;
    int first = 2;
    if (options.command == CliOptions::Command::LoginItems &&
        !parseLoginAction(argc, argv, &first, &options)) {
        return {std::nullopt,
                QStringLiteral("login-items takes list, or enable or disable with a path")};
    }
    for (int i = first; i < argc; ++i) {
        const QString arg = argumentAt(argv, i);
        const auto value = [&](QString* out) {
            if (i + 1 >= argc) return false;
            *out = argumentAt(argv, ++i);
            return true;
        };
        QString v;
        if (arg == u"--json") {
            options.json = true;
        } else if (arg == u"--yes" && clean) {
            options.yes = true;
        } else if (arg == u"--home" && value(&v)) {
            options.home = absolute(v);
        } else if (arg == u"--system-root" && value(&v)) {
            options.systemRoot = absolute(v);
        } else if (arg == u"--volume" && value(&v)) {
            options.volume = v;
        } else if (arg == u"--category" && value(&v)) {
            options.categories.append(v);
        } else if (arg == u"--path" && clean && value(&v)) {
            options.paths.append(v);
        } else if (arg == u"--name" && clean && value(&v)) {
            options.names.append(v);
        } else {
            return {std::nullopt, QStringLiteral("unexpected argument \u201c%1\u201d").arg(arg)};
        }
    }
    if (clean && options.categories.isEmpty()) {
        return {std::nullopt, QStringLiteral("clean needs at least one --category")};
    }
    return {options, QString()};
}

QString unescapePathArgument(const QString& argument) {
    static const QRegularExpression escape(QStringLiteral("\\\\u[dD][cC]([89a-fA-F][0-9a-fA-F])"));
    QString out;
    qsizetype last = 0;
    for (auto it = escape.globalMatch(argument); it.hasNext();) {
        const auto match = it.next();
        out += argument.mid(last, match.capturedStart() - last);
        out += QChar(char16_t(0xDC00 + match.captured(1).toInt(nullptr, 16)));
        last = match.capturedEnd();
    }
    return out + argument.mid(last);
}
