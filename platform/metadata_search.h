#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

namespace platform {

// The desktop search index and the metadata of single items.
class MetadataSearch {
public:
    virtual ~MetadataSearch() = default;
    // Runs the search tool with "-0", "-onlyin", the folder and the query arguments, reads
    // its standard output to the end and then waits for it: every path found, each ended
    // by a NUL. The error output is discarded and the exit status is not examined: a failed
    // search lists nothing.
    virtual QByteArray find(const QString& folder, const QStringList& queryArguments) = 0;
    // The metadata attributes of the item at the path (kMDItemKind, kMDItemFSSize, ...),
    // nothing when no item exists there. Numbers are qint64, flags bool, dates QDateTime,
    // and kMDItemUsedDates a QVariantList of QDateTime.
    virtual std::optional<QVariantMap> attributesOfItem(const QString& path) = 0;
};

}  // namespace platform
