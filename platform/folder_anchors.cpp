#include "platform/folder_anchors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <QList>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "platform/file_path.h"

namespace platform {
namespace {

struct Anchor {
    QByteArray path;
    QByteArray resolvedPath;
    quint64 device = 0;
    quint64 inode = 0;
};

std::mutex& anchorsMutex() {
    static std::mutex mutex;
    return mutex;
}

QList<Anchor>& anchors() {
    static QList<Anchor> list;
    return list;
}

bool identify(int fd, quint64* device, quint64* inode) {
    struct statx st;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_INO, &st) != 0) return false;
    *device = (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
    *inode = st.stx_ino;
    return true;
}

QByteArray withoutTrailingSeparators(QByteArray bytes) {
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    return bytes;
}

// Whether `path` lies strictly inside the folder `folder`, on a component boundary.
bool isStrictlyInside(const QByteArray& path, const QByteArray& folder) {
    if (folder == "/") return path.size() > 1;
    return path.size() > folder.size() && path.startsWith(folder) && path.at(folder.size()) == '/';
}

// The longest anchor strictly above `path`, or none for "/".
std::optional<Anchor> anchorAbove(const QByteArray& path) {
    std::lock_guard lock(anchorsMutex());
    std::optional<Anchor> best;
    for (const Anchor& anchor : anchors()) {
        if (isStrictlyInside(path, anchor.path) &&
            (!best || anchor.path.size() > best->path.size())) {
            best = anchor;
        }
    }
    return best;
}

std::optional<Anchor> anchorAt(const QByteArray& path) {
    std::lock_guard lock(anchorsMutex());
    for (const Anchor& anchor : anchors()) {
        if (anchor.path == path) return anchor;
    }
    return std::nullopt;
}

// Opens the anchor's folder through its resolved path and checks that it is the folder
// recorded: a link swapped in anywhere above it leads to another folder and is refused.
UniqueFd openAnchor(const Anchor& anchor, int* error) {
    UniqueFd fd(open(anchor.resolvedPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid()) {
        *error = errno;
        return fd;
    }
    quint64 device = 0;
    quint64 inode = 0;
    if (!identify(fd.get(), &device, &inode) || device != anchor.device || inode != anchor.inode) {
        *error = kChangedSinceScan;
        return UniqueFd();
    }
    return fd;
}

bool isLinkAt(int dirFd, const QByteArray& name) {
    struct stat st;
    return fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Opens `relative` (components separated by '/') below `fd`, one component at a time,
// refusing links and the components "." and "..".
UniqueFd openChain(UniqueFd fd, const QByteArray& relative, int* error) {
    for (const QByteArray& component : relative.split('/')) {
        if (component.isEmpty()) continue;
        if (component == "." || component == "..") {
            *error = EINVAL;
            return UniqueFd();
        }
        UniqueFd next(
            openat(fd.get(), component.constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.valid()) {
            // O_PATH|O_NOFOLLOW opens a link itself; O_DIRECTORY then refuses it.
            *error = errno == ENOTDIR && isLinkAt(fd.get(), component) ? ELOOP : errno;
            return UniqueFd();
        }
        fd = std::move(next);
    }
    return fd;
}

}  // namespace

void anchorFolder(const QString& path) {
    const QByteArray bytes = withoutTrailingSeparators(encodePath(path));
    if (!bytes.startsWith('/') || bytes == "/") return;
    char* resolved = realpath(bytes.constData(), nullptr);
    if (!resolved) return;
    Anchor anchor{bytes, QByteArray(resolved), 0, 0};
    std::free(resolved);
    UniqueFd fd(open(anchor.resolvedPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || !identify(fd.get(), &anchor.device, &anchor.inode)) return;
    std::lock_guard lock(anchorsMutex());
    anchors().removeIf([&](const Anchor& a) { return a.path == anchor.path; });
    anchors().append(anchor);
}

void clearFolderAnchors() {
    std::lock_guard lock(anchorsMutex());
    anchors().clear();
}

OpenedParent openParentBeneathAnchor(const QString& path) {
    OpenedParent result;
    const QByteArray bytes = withoutTrailingSeparators(encodePath(path));
    const qsizetype slash = bytes.lastIndexOf('/');
    if (!bytes.startsWith('/') || bytes == "/") {
        result.error = EINVAL;
        return result;
    }
    result.name = bytes.mid(slash + 1);
    if (result.name == "." || result.name == "..") {
        result.error = EINVAL;
        return result;
    }
    const QByteArray parent = bytes.left(slash);
    UniqueFd start;
    QByteArray relative = parent;
    if (const auto anchor = anchorAbove(bytes)) {
        start = openAnchor(*anchor, &result.error);
        relative = parent.mid(anchor->path.size());
    } else {
        start.reset(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!start.valid()) result.error = errno;
    }
    if (result.error == 0) result.parent = openChain(std::move(start), relative, &result.error);
    return result;
}

UniqueFd openFolderBeneathAnchor(const QString& path, int* error) {
    *error = 0;
    if (const auto anchor = anchorAt(withoutTrailingSeparators(encodePath(path)))) {
        return openAnchor(*anchor, error);
    }
    const OpenedParent item = openParentBeneathAnchor(path);
    if (item.error != 0) {
        *error = item.error;
        return UniqueFd();
    }
    UniqueFd fd(openat(item.parent.get(), item.name.constData(),
                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) *error = errno;
    return fd;
}

}  // namespace platform
