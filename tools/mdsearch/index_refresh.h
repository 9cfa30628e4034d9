#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "tools/mdsearch/metadata_index.h"

namespace mdsearch {

struct RefreshStats {
    uint64_t foldersRead = 0;    // listed afresh: new, or their modification time changed
    uint64_t foldersReused = 0;  // names taken from the previous index
    uint64_t entriesChecked = 0;
    uint64_t contentReads = 0;  // PNG text chunks and bundle property lists read
};

// Folders deeper than this below the root are not indexed.
inline constexpr int kMaxIndexDepth = 400;
// A folder or file modified this close to a refresh may change again within the same
// time-stamp tick; its records are re-read at the next refresh.
inline constexpr int64_t kSettleNanoseconds = 2'000'000'000;

// Brings an index of `rootPath` up to date, as updatedb does: a folder whose modification
// time is unchanged keeps the names recorded in `previous` and is not listed again, but
// every entry is examined anew, since a file can grow without its folder changing.
// Content-derived facts (screen captures, bundle identifiers) are carried over while an
// entry's size and time stamps are unchanged. Stays on the root's file system and skips
// hidden entries outside packages. Nothing when the root cannot be opened.
std::optional<BuiltIndex> refreshIndex(int rootFd, const std::string& rootPath,
                                       const IndexView* previous, int64_t startedAt,
                                       RefreshStats* stats);

// The identity of an open folder.
std::optional<RootIdentity> identityOf(int fd);

}  // namespace mdsearch
