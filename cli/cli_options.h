#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The command line of sweepwell-cli, read from the raw argument bytes so that paths that
// are not valid UTF-8 survive.
struct CliOptions {
    enum class Command { Scan, Clean, LoginItems, Help };
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
    LoginAction loginAction = LoginAction::List;
    QString loginItemPath;
};

struct ParsedOptions {
    std::optional<CliOptions> options;
    QString error;  // set when options is empty
};

ParsedOptions parseCliOptions(int argc, char** argv);
QString cliUsage();

// Turns the escaped form of JSON paths back into the path: "\udcXX" stands for the
// byte XX of a name that is not valid UTF-8.
QString unescapePathArgument(const QString& argument);
