#pragma once

#include <sys/stat.h>
#include <QByteArray>
#include <functional>

namespace platform {

// One entry met during a walk. `dirFd` is the open folder that holds it; `name` is
// relative to that folder and `dirPath` is the folder's path, for reports only: the walk
// itself never resolves paths, so a folder swapped for a link cannot redirect it.
struct WalkEntry {
    int dirFd;
    const char* name;
    const QByteArray& dirPath;
    unsigned char type;  // DT_REG, DT_DIR, DT_LNK, ...; resolved, never DT_UNKNOWN

    QByteArray path() const;
    // lstat-like facts of the entry, read on first call; false when it is gone.
    bool stat(struct statx* out) const;
};

class WalkVisitor {
public:
    virtual ~WalkVisitor() = default;
    // Every entry that is not walked into: files, links, sockets, and folders for which
    // shouldDescend answered false.
    virtual void visitEntry(const WalkEntry& entry) = 0;
    virtual bool shouldDescend(const WalkEntry&) { return true; }
    // After every entry of a walked folder was visited. `entry` names the folder inside
    // its parent, whose descriptor is `entry.dirFd`.
    virtual void leaveDirectory(const WalkEntry&) {}
    // A folder that could not be opened or read (errno), or that lies on another mounted
    // file system (EXDEV). Nothing below it is visited.
    virtual void walkFailed(const WalkEntry&, int) {}
};

// Walks everything below the open folder `rootFd` (the caller keeps the descriptor),
// never following a link and never entering another mount (mount IDs are compared, so a
// bind mount of the same disk counts as another mount). Holds a bounded number of
// descriptors however deep the tree is. With `threads` > 1, idle helper threads take
// whole subtrees, and the visitor is called from several threads at once.
void walkTree(int rootFd, const QByteArray& rootPath, WalkVisitor& visitor, int threads = 1);

// Test seam: called with a folder's path just before the walk opens it.
void setBeforeOpenDirectoryHook(std::function<void(const QByteArray& path)> hook);

// The mount ID of an open descriptor, or its device number where the kernel has none.
quint64 mountIdOf(int fd, const char* name, int flags);

}  // namespace platform
