#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <ostream>

#include "engine/scan_model.h"
#include "platform/services.h"
#include "tests/support/recording_system_log.h"

class FixtureHome;

// Fake host services for a fixture home whose searches run the real metadata search tool,
// with a private index cache that every search refreshes (so a search sees the tree as it
// is), and the notification gate answering as asked. Searches of "/" look in `systemRoot`
// when one is given. Recomputes the engine's locations on entry and again after restoring
// the previous services.
class SearchPlatform {
public:
    explicit SearchPlatform(const QString& home, bool gateOpen = true,
                            const QString& systemRoot = QString());
    ~SearchPlatform();
    SearchPlatform(const SearchPlatform&) = delete;
    SearchPlatform& operator=(const SearchPlatform&) = delete;

    QString cacheFolder() const { return cache_.path(); }

private:
    QTemporaryDir cache_;
    RecordedLog log_;
    std::optional<platform::ScopedServices> services_;
};

// The output of one run of the metadata search tool.
struct ToolRun {
    // Whether it ended within the time allowed, and whether a signal ended it.
    bool finished = false;
    bool crashed = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    // The listed paths, one per line.
    QStringList lines() const;
};

// Runs sweepwell-mdsearch with the arguments and waits for it, killing it after
// `timeoutMs`: a run that hangs fails its test instead of holding up the whole suite.
ToolRun runSearchTool(const QStringList& arguments, int timeoutMs = 120000);
QString searchToolPath();

// Writes a PNG image of one pixel with the given text chunks before its image data; each
// pair is a keyword and its text, written as tEXt, or as iTXt when `international`.
QString writePng(const QString& path, const QList<QPair<QByteArray, QByteArray>>& texts,
                 bool international = false);

// A category that finds its entries through the metadata search, and how to give it
// something to list.
struct SearchedCategory {
    QString key;
    std::function<std::shared_ptr<QSScanItem>()> item;
    // Makes, at the path relative to the fixture's home (the category's own ending added),
    // something the category lists; answers its full path.
    std::function<QString(FixtureHome& fixture, const QString& relative)> make;
    bool removable = true;
};

// Every category that lists what the metadata search finds.
const QList<SearchedCategory>& searchedCategories();
// Names the category in test messages.
void PrintTo(const SearchedCategory& category, std::ostream* out);
