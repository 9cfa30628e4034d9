#include "platform/file_identity.h"

namespace platform {

bool FileIdentity::stillDescribes(const FileIdentity& now) const {
    if (!isValid() || device != now.device || inode != now.inode || type != now.type) return false;
    return isDirectory() || (size == now.size && modificationNs == now.modificationNs);
}

FileIdentity FileIdentity::fromStatx(const struct statx& st) {
    FileIdentity identity;
    identity.device = (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
    identity.inode = st.stx_ino;
    identity.size = st.stx_size;
    identity.modificationNs = qint64(st.stx_mtime.tv_sec) * 1000000000 + st.stx_mtime.tv_nsec;
    identity.type = st.stx_mode & S_IFMT;
    return identity;
}

}  // namespace platform
