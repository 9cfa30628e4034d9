#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the application was started with.
struct AppOptions {
    QString home;        // null: the user's own home folder
    QString systemRoot;  // null: searches of the whole disk look at "/"
    bool help = false;
    bool version = false;
};

struct ParsedAppOptions {
    std::optional<AppOptions> options;
    QString error;
};

// Reads the arguments after the program's name, before QApplication starts (so that
// --help and --version need no display); Qt's own options (-platform, ...) pass by.
ParsedAppOptions parseAppOptions(const QStringList& arguments);
QString appUsage();
