#pragma once

#include <optional>

#include "platform/metadata_search.h"

namespace platform {

inline constexpr char kSystemSearchToolPath[] = "/usr/bin/mdfind";

// Searches through "/usr/bin/mdfind" where the system has it, otherwise through our own
// sweepwell-mdsearch, which takes the same arguments and keeps an index of each folder in
// the user's cache folder. Item attributes always come from sweepwell-mdsearch.
class ToolMetadataSearch : public MetadataSearch {
public:
    struct Options {
        // Searches of the fixed folder "/" look inside this folder instead (for scanning
        // another system's disk); empty for the real root.
        QString systemRoot;
        // Passed to our tool only: where it keeps its indexes, and how many seconds an
        // index answers without a refresh. Empty: the tool's own defaults.
        QString cacheFolder;
        std::optional<double> refreshWindowSeconds;
    };

    ToolMetadataSearch() = default;
    explicit ToolMetadataSearch(Options options) : options_(std::move(options)) {}

    QByteArray find(const QString& folder, const QStringList& queryArguments) override;
    std::optional<QVariantMap> attributesOfItem(const QString& path) override;

    const Options& options() const { return options_; }
    // The folder a search of `folder` looks in.
    QString searchFolder(const QString& folder) const;

    // Our tool: $SWEEPWELL_MDSEARCH when set, else beside the running program (in
    // ../libexec or the program's own folder), else on the PATH. Empty when missing.
    static QString bundledToolPath();

private:
    QStringList toolOptions() const;

    Options options_;
};

// Runs `program` with `arguments`, standard input and error on /dev/null, and answers
// everything it writes to standard output once it has exited. Arguments are passed as the
// exact bytes of their paths (see file_path.h). Empty when it cannot be started.
QByteArray runForOutput(const QString& program, const QStringList& arguments);

}  // namespace platform
