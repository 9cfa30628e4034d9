#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <optional>

#include "engine/scan_model.h"
#include "platform/services.h"

// Fake host services for a fixture home whose searches run the real metadata search tool,
// with a private index cache that every search refreshes (so a search sees the tree as it
// is), and the notification gate answering as asked. Recomputes the engine's locations on
// entry and again after restoring the previous services.
class SearchPlatform {
public:
    explicit SearchPlatform(const QString& home, bool gateOpen = true);
    ~SearchPlatform();
    SearchPlatform(const SearchPlatform&) = delete;
    SearchPlatform& operator=(const SearchPlatform&) = delete;

    QString cacheFolder() const { return cache_.path(); }

private:
    QTemporaryDir cache_;
    std::optional<platform::ScopedServices> services_;
};

// The output of one run of the metadata search tool.
struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    // The listed paths, one per line.
    QStringList lines() const;
};

// Runs sweepwell-mdsearch with the arguments (and waits for it).
ToolRun runSearchTool(const QStringList& arguments);
QString searchToolPath();

// Writes a PNG image of one pixel with the given text chunks before its image data; each
// pair is a keyword and its text, written as tEXt, or as iTXt when `international`.
QString writePng(const QString& path, const QList<QPair<QByteArray, QByteArray>>& texts,
                 bool international = false);
