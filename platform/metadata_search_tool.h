#pragma once

#include <chrono>
#include <optional>

#include "platform/metadata_search.h"

namespace platform {

inline constexpr char kSystemSearchToolPath[] = "/usr/bin/mdfind";

// How long one run of a search tool may take. The first search of a folder walks all of
// it, and a run stopped before the end saves no index, so the next scan would have to walk
// again and be stopped again: the limit is there for a tool that hangs, never to cut
// short the walk of a large disk.
inline constexpr std::chrono::milliseconds kDefaultToolTimeLimit = std::chrono::seconds(300);

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
        // How long a run of the tool may take before it is killed and fails.
        std::chrono::milliseconds timeLimit = kDefaultToolTimeLimit;
    };

    ToolMetadataSearch() = default;
    explicit ToolMetadataSearch(Options options) : options_(std::move(options)) {}

    SearchAnswer find(const QString& folder, const QStringList& queryArguments) override;
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

// Runs `program` with `arguments`, standard input on /dev/null, in a process group of its
// own, and answers everything it writes to standard output once it has exited with status
// 0. Otherwise the answer holds no output and a failure naming the program: it could not
// be started, exited with another status (followed by the last line of its error output),
// was ended by a signal, or was still running at `timeLimit`, when it and its process
// group are killed. Arguments are passed as the exact bytes of their paths (see
// file_path.h).
SearchAnswer runForOutput(const QString& program, const QStringList& arguments,
                          std::chrono::milliseconds timeLimit);

}  // namespace platform
