#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

namespace platform {

// What a search answered: every path found, each ended by a NUL, or why it failed. A failed
// search answers no path: what a tool wrote before it crashed or was stopped is not the
// whole answer, and its last path may be cut short.
struct SearchAnswer {
    QByteArray output;
    std::optional<QString> failure;
};

// The desktop search index and the metadata of single items.
class MetadataSearch {
public:
    virtual ~MetadataSearch() = default;
    // Runs the search tool with "-0", "-onlyin", the folder and the query arguments and
    // reads its standard output until it exits. The search fails when no tool can be
    // started, or when it exits with a status other than 0, is ended by a signal or runs
    // past its time limit.
    virtual SearchAnswer find(const QString& folder, const QStringList& queryArguments) = 0;
    // The metadata attributes of the item at the path (kMDItemKind, kMDItemFSSize, ...),
    // nothing when no item exists there or the tool fails. Numbers are qint64, flags bool,
    // dates QDateTime, and kMDItemUsedDates a QVariantList of QDateTime.
    virtual std::optional<QVariantMap> attributesOfItem(const QString& path) = 0;
};

}  // namespace platform
