#pragma once

#include <QHash>
#include <QList>
#include <mutex>

#include "platform/metadata_search.h"

namespace platform::fakes {

// Answers searches and attribute requests from what the test put in, and records every
// search, from any thread. An unknown search lists nothing; once a failure is set, every
// search fails with it.
class FakeMetadataSearch : public MetadataSearch {
public:
    struct Search {
        QString folder;
        QStringList queryArguments;
    };

    SearchAnswer find(const QString& folder, const QStringList& queryArguments) override;
    std::optional<QVariantMap> attributesOfItem(const QString& path) override;

    // The exact bytes the search answers.
    void setOutput(const QString& folder, const QStringList& queryArguments,
                   const QByteArray& output);
    // Answers the paths as the search tool writes them: each one ended by a NUL.
    void setPaths(const QString& folder, const QStringList& queryArguments,
                  const QStringList& paths);
    void setAttributes(const QString& path, const QVariantMap& attributes);
    // Makes every later search fail with the reason, still answering the output set for
    // it, as a tool that failed halfway through would leave it.
    void setFailure(const QString& reason);
    QList<Search> searches() const;

private:
    static QString keyOf(const QString& folder, const QStringList& queryArguments);

    mutable std::mutex mutex_;
    QHash<QString, QByteArray> outputs_;
    QHash<QString, QVariantMap> attributes_;
    std::optional<QString> failure_;
    QList<Search> searches_;
};

}  // namespace platform::fakes
