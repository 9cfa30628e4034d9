#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "tools/mdsearch/index_refresh.h"
#include "tools/mdsearch/metadata_index.h"

namespace mdsearch {

// Keeps one index file per searched folder in a cache folder and decides when to refresh.
//
// A query inside the refresh window answers from the stored index without touching the
// folder; otherwise it takes the folder's lock, refreshes and replaces the file. Runs
// that start together wait on the lock and then find the index fresh, so they share one
// refresh. Readers take no lock: files are replaced by rename, so a reader keeps the
// version it opened, and read whole, so one truncated meanwhile fails its checks. A run that dies
// loses its lock with its process, and leaves at most a temporary file, which the next refresh
// removes.
class IndexStore {
public:
    struct Options {
        std::string cacheFolder;  // empty: $XDG_CACHE_HOME/sweepwell, else ~/.cache/sweepwell
        int64_t windowNanoseconds = int64_t(60) * 1'000'000'000;
    };

    // What a query answers from, and how it came about.
    struct Answer {
        std::variant<std::monostate, StoredIndex, BuiltIndex> index;
        bool refreshed = false;
        bool saved = false;
        RefreshStats stats;
        IndexView view() const;
    };

    explicit IndexStore(Options options);

    // The index of `rootPath` (absolute, standardised). Nothing when the folder cannot be
    // opened or lies on a virtual file system.
    std::optional<Answer> indexFor(const std::string& rootPath, int64_t now);

    static std::string defaultCacheFolder();
    std::string indexFileFor(const std::string& rootPath) const;

private:
    bool fresh(const IndexView& view, const RootIdentity& root, int64_t now) const;
    void removeLeftovers(const std::string& indexFile) const;

    Options options_;
};

// Whether the file system holding `fd` is a virtual one (proc, sysfs, cgroups, ...).
bool isVirtualFileSystem(int fd);

}  // namespace mdsearch
