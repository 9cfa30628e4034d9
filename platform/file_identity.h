#pragma once

#include <sys/stat.h>
#include <QtGlobal>

namespace platform {

// What an item was when it was scanned: removal compares it with what is there now, so
// that nothing put in an entry's place after the scan is ever removed.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    quint64 size = 0;
    qint64 modificationNs = 0;
    quint32 type = 0;  // the S_IFMT bits of the mode; 0 when nothing was recorded

    bool isValid() const { return type != 0; }
    bool isDirectory() const { return type == S_IFDIR; }
    // A folder's content may change (caches grow) but the folder itself must be the
    // same; any other item must also keep its size and modification time.
    bool stillDescribes(const FileIdentity& now) const;

    static FileIdentity fromStatx(const struct statx& st);
    // The statx fields fromStatx reads.
    static constexpr unsigned kStatxMask = STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME;
};

}  // namespace platform
