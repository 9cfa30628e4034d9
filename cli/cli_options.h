#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

// The command line of sweepwell-cli, read from the raw argument bytes so that paths that
// are not valid UTF-8 survive.
struct CliOptions {
    enum class Command { Scan, Clean, LoginItems, History, Help };
    enum class LoginAction { List, Enable, Disable };

    Command command = Command::Help;
    QString home;        // null: the platform's own home folder
    QString systemRoot;  // null: searches of "/" look at the real root
    QString volume = QStringLiteral("/");
    QStringList categories;
    QStringList paths;
    QStringList names;
    bool json = false;
    bool yes = false;
    bool dryRun = false;
    QDateTime since;  // history: only attempts from then on; invalid for all
    LoginAction loginAction = LoginAction::List;
    QString loginItemPath;
};

struct ParsedOptions {
    std::optional<CliOptions> options;
    QString error;  // set when options is empty
};

ParsedOptions parseCliOptions(int argc, char** argv);
QString cliUsage();

// The text of a JSON string as the JSON report writes it between its quotes, decoded:
// "\\" is a backslash and "\udcXX" the byte XX of a name that is not valid UTF-8, so
// every path has exactly one written form. Nothing for a malformed escape.
std::optional<QString> decodeJsonString(const QString& text);
