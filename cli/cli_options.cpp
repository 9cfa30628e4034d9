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

}  // namespace

QString cliUsage() {
    return QStringLiteral(
        "usage: sweepwell-cli scan  [--home DIR] [--volume PATH] [--category KEY]... [--json]\n"
        "       sweepwell-cli clean [--home DIR] [--volume PATH] --category KEY... [--path PATH]...\n"
        "                           [--name NAME]... [--yes] [--json]\n");
}

ParsedOptions parseCliOptions(int argc, char** argv) {
    if (argc < 2) return {std::nullopt, QStringLiteral("missing command")};
    CliOptions options;
    const QString command = argumentAt(argv, 1);
    if (command == u"scan") {
        options.command = CliOptions::Command::Scan;
    } else if (command == u"clean") {
        options.command = CliOptions::Command::Clean;
    } else if (command == u"--help" || command == u"-h" || command == u"help") {
        return {options, QString()};
    } else {
        return {std::nullopt, QStringLiteral("unknown command \u201c%1\u201d").arg(command)};
    }
    const bool clean = options.command == CliOptions::Command::Clean;
    for (int i = 2; i < argc; ++i) {
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
