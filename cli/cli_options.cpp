#include "cli/cli_options.h"

#include <cstring>

#include "platform/file_path.h"

namespace {

QString argumentAt(char** argv, int i) {
    return platform::decodePath(argv[i], qsizetype(std::strlen(argv[i])));
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

// Exactly four hexadecimal digits, as a UTF-16 code unit.
std::optional<char16_t> hexUnit(const QString& digits) {
    if (digits.size() != 4) return std::nullopt;
    char16_t unit = 0;
    for (const QChar digit : digits) {
        const int value = QStringLiteral("0123456789abcdef").indexOf(digit.toLower());
        if (value < 0) return std::nullopt;
        unit = char16_t(unit * 16 + value);
    }
    return unit;
}

// A path holds characters and, for bytes that are not UTF-8, the lone surrogates
// U+DC80..U+DCFF; any other lone surrogate names no file.
bool namesOnlyBytesOrCharacters(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            text.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (QChar::isSurrogate(unit) && (unit < 0xDC80 || unit > 0xDCFF)) {
            return false;
        }
    }
    return true;
}

}  // namespace

QString cliUsage() {
    return QStringLiteral(
        "usage: sweepwell-cli scan  [--home DIR] [--system-root DIR] [--volume PATH]\n"
        "                           [--category KEY]... [--json]\n"
        "       sweepwell-cli clean [--home DIR] [--system-root DIR] [--volume PATH]\n"
        "                           --category KEY... [--path PATH]... [--json-path TEXT]...\n"
        "                           [--name NAME]... [--yes] [--dry-run] [--json]\n"
        "       sweepwell-cli login-items [list] [--home DIR] [--system-root DIR] [--json]\n"
        "       sweepwell-cli login-items enable|disable PATH [--home DIR] [--system-root DIR]\n"
        "       sweepwell-cli history [--since DATE] [--category KEY]... [--json]\n"
        "\n"
        "clean removes the entries named by --path (exact bytes), --json-path (as the JSON\n"
        "report writes them) or --name (entries without a path); without any of these, every\n"
        "entry its category selects by default. A name that matches no listed entry stops the\n"
        "clean before anything is removed. It asks first, showing how many entries and how\n"
        "much, unless --yes is given; --dry-run shows what it would remove and free, and\n"
        "removes nothing. Every removal attempt is logged; history shows the log. Folders\n"
        "are absolute.\n");
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
    } else if (command == u"history") {
        options.command = CliOptions::Command::History;
    } else if (command == u"--help" || command == u"-h" || command == u"help") {
        return {options, QString()};
    } else {
        return {std::nullopt, QStringLiteral("unknown command \u201c%1\u201d").arg(command)};
    }
    const bool clean = options.command == CliOptions::Command::Clean;
    const bool history = options.command == CliOptions::Command::History;
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
        } else if (arg == u"--dry-run" && clean) {
            options.dryRun = true;
        } else if (arg == u"--since" && history && value(&v)) {
            options.since = QDateTime::fromString(v, Qt::ISODate);
            if (!options.since.isValid()) {
                return {std::nullopt, QStringLiteral("--since takes a date such as 2026-12-01 or "
                                                     "2026-12-01T10:00:00Z, not \u201c%1\u201d")
                                          .arg(v)};
            }
        } else if ((arg == u"--home" || arg == u"--system-root" || arg == u"--volume") &&
                   value(&v)) {
            // An empty or relative folder would be taken from wherever the command runs.
            if (!v.startsWith(u'/')) {
                return {
                    std::nullopt,
                    QStringLiteral("%1 takes an absolute folder, not \u201c%2\u201d").arg(arg, v)};
            }
            QString* folder = arg == u"--home"          ? &options.home
                              : arg == u"--system-root" ? &options.systemRoot
                                                        : &options.volume;
            *folder = v;
        } else if (arg == u"--category" && value(&v)) {
            options.categories.append(v);
        } else if (arg == u"--path" && clean && value(&v)) {
            options.paths.append(v);
        } else if (arg == u"--json-path" && clean && value(&v)) {
            const auto path = decodeJsonString(v);
            if (!path) {
                return {std::nullopt,
                        QStringLiteral("--json-path takes a path as the JSON report writes it "
                                       "between its quotes, not \u201c%1\u201d")
                            .arg(v)};
            }
            options.paths.append(*path);
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

std::optional<QString> decodeJsonString(const QString& text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\') {
            out += c;
            continue;
        }
        if (++i >= text.size()) return std::nullopt;
        // The single-character escapes of JSON, and what each stands for.
        static const QString escaped = QStringLiteral("\"\\/bfnrt");
        static const QString meant = QStringLiteral("\"\\/\b\f\n\r\t");
        if (const qsizetype simple = escaped.indexOf(text.at(i)); simple >= 0) {
            out += meant.at(simple);
            continue;
        }
        const auto unit = text.at(i) == u'u' ? hexUnit(text.mid(i + 1, 4)) : std::nullopt;
        if (!unit) return std::nullopt;
        out += QChar(*unit);
        i += 4;
    }
    return namesOnlyBytesOrCharacters(out) ? std::optional<QString>(out) : std::nullopt;
}
