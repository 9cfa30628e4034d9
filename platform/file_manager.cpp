#include "platform/file_manager.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cerrno>
#include <memory>

#include "platform/file_path.h"
#include "platform/folder_anchors.h"
#include "platform/tree_walk.h"
#include "platform/unique_fd.h"

namespace platform {
namespace {

// Size measurement reads metadata only; two threads keep both cores busy.
constexpr int kSizeThreads = 2;
// Unlinking waits on the disk's journal, so more threads than cores still pay off.
constexpr int kRemovalThreads = 4;

}  // namespace

Error errorFor(int err, const QString& path) {
    if (err == kChangedSinceScan) return Error::changedSinceScan();
    if (err == ELOOP) return Error::linkInPath(path);
    return Error::fromErrno(err, path);
}

namespace {

Error anotherFileSystem(const QString& path) {
    Error error = Error::fromErrno(EXDEV, path);
    error.description = QStringLiteral("\u201c%1\u201d is another mounted file system.").arg(path);
    error.underlying = std::make_shared<const Error>(
        Error{Error::Domain::POSIX,
              EXDEV,
              QStringLiteral("Another mounted file system, which removal never enters"),
              {}});
    return error;
}

bool lstatAt(const OpenedParent& item, struct statx* st) {
    return statx(item.parent.get(), item.name.constData(), AT_SYMLINK_NOFOLLOW,
                 FileIdentity::kStatxMask | STATX_BTIME, st) == 0;
}

bool isMountPoint(const OpenedParent& item) {
    return mountIdOf(item.parent.get(), item.name.constData(), AT_SYMLINK_NOFOLLOW) !=
           mountIdOf(item.parent.get(), "", AT_EMPTY_PATH);
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

QDateTime dateFrom(const struct statx_timestamp& t) {
    return QDateTime::fromMSecsSinceEpoch(qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000, Qt::UTC);
}

class SizeVisitor : public WalkVisitor {
public:
    void visitEntry(const WalkEntry& entry) override {
        struct statx st;
        if (entry.stat(&st)) total.fetch_add(st.stx_size, std::memory_order_relaxed);
    }
    std::atomic<quint64> total{0};
};

// The fast pass: removes what it can on several threads and ignores failures, which
// the recording pass meets again and reports.
class BestEffortRemover : public WalkVisitor {
public:
    void visitEntry(const WalkEntry& entry) override { unlinkat(entry.dirFd, entry.name, 0); }
    void leaveDirectory(const WalkEntry& entry) override {
        unlinkat(entry.dirFd, entry.name, AT_REMOVEDIR);
    }
};

class RecordingRemover : public WalkVisitor {
public:
    explicit RecordingRemover(std::vector<RemovalFailure>* failures) : failures_(failures) {}

    void visitEntry(const WalkEntry& entry) override {
        if (unlinkat(entry.dirFd, entry.name, 0) != 0) record(entry.path(), errno);
    }
    void leaveDirectory(const WalkEntry& entry) override {
        if (unlinkat(entry.dirFd, entry.name, AT_REMOVEDIR) == 0) return;
        const int err = errno;
        const QByteArray path = entry.path();
        if (err == ENOTEMPTY && holdsReportedFailure(path)) return;
        record(path, err);
    }
    void walkFailed(const WalkEntry& entry, int err) override { record(entry.path(), err); }

private:
    void record(const QByteArray& path, int err) {
        if (err == ENOENT) return;
        const QString decoded = decodePath(path);
        failures_->push_back({decoded, describe(decoded, err)});
    }
    static Error describe(const QString& path, int err) {
        return err == EXDEV ? anotherFileSystem(path) : Error::fromErrno(err, path);
    }
    bool holdsReportedFailure(const QByteArray& dir) const {
        return !failures_->empty() &&
               encodePath(failures_->back().path).startsWith(dir + QByteArray("/"));
    }

    std::vector<RemovalFailure>* failures_;
};

// Empties the opened folder, then removes it from its parent unless it is to be kept.
void removeOpenedDirectory(const OpenedParent& item, const UniqueFd& dir, const QString& path,
                           bool keepContainingFolder, std::vector<RemovalFailure>* failures) {
    const QByteArray bytes = encodePath(path);
    BestEffortRemover fast;
    walkTree(dir.get(), bytes, fast, kRemovalThreads);
    const size_t before = failures->size();
    RecordingRemover recording(failures);
    walkTree(dir.get(), bytes, recording, 1);
    if (failures->size() != before || keepContainingFolder) return;
    if (unlinkat(item.parent.get(), item.name.constData(), AT_REMOVEDIR) != 0) {
        failures->push_back({path, Error::fromErrno(errno, path)});
    }
}

// Opens the folder named by `item` without following a link; when `scanned` is given,
// the opened folder must be that one (it may have been swapped since it was looked at).
UniqueFd openDirectoryToEmpty(const OpenedParent& item, const QString& path,
                              const FileIdentity* scanned, std::vector<RemovalFailure>* failures) {
    if (isMountPoint(item)) {
        failures->push_back({path, anotherFileSystem(path)});
        return UniqueFd();
    }
    UniqueFd dir(openat(item.parent.get(), item.name.constData(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.valid()) {
        failures->push_back({path, errorFor(errno, path)});
        return dir;
    }
    struct statx st;
    if (scanned && (statx(dir.get(), "", AT_EMPTY_PATH, FileIdentity::kStatxMask, &st) != 0 ||
                    !scanned->stillDescribes(FileIdentity::fromStatx(st)))) {
        failures->push_back({path, Error::changedSinceScan()});
        return UniqueFd();
    }
    return dir;
}

}  // namespace

ItemKind itemKind(const QString& path, int* error) {
    const OpenedParent item = openParentBeneathAnchor(path);
    struct statx st;
    if (item.error != 0 || !lstatAt(item, &st)) {
        if (error) *error = item.error != 0 ? item.error : errno;
        return ItemKind::Missing;
    }
    if (S_ISDIR(st.stx_mode)) return ItemKind::Directory;
    if (S_ISLNK(st.stx_mode)) return ItemKind::Link;
    return ItemKind::Other;
}

std::optional<FileIdentity> identityOfItem(const QString& path) {
    const OpenedParent item = openParentBeneathAnchor(path);
    struct statx st;
    if (item.error != 0 || !lstatAt(item, &st)) return std::nullopt;
    return FileIdentity::fromStatx(st);
}

std::optional<ItemOwnership> ownershipOfItem(const QString& path) {
    const OpenedParent item = openParentBeneathAnchor(path);
    struct statx st;
    if (item.error != 0 || statx(item.parent.get(), item.name.constData(), AT_SYMLINK_NOFOLLOW,
                                 STATX_TYPE | STATX_MODE | STATX_UID, &st) != 0) {
        return std::nullopt;
    }
    return ItemOwnership{st.stx_uid, st.stx_mode};
}

bool isWritableFolder(const QString& path) {
    int error = 0;
    const UniqueFd dir = openFolderBeneathAnchor(path, &error);
    return dir.valid() && faccessat(dir.get(), ".", W_OK, AT_EACCESS) == 0;
}

bool fileExistsAtPath(const QString& path) {
    struct stat st;
    return !path.isEmpty() && ::stat(encodePath(path).constData(), &st) == 0;
}

quint64 sizeOfItem(const QString& path) {
    const OpenedParent item = openParentBeneathAnchor(path);
    struct statx st;
    if (item.error != 0 || !lstatAt(item, &st)) return 0;
    if (!S_ISDIR(st.stx_mode)) return st.stx_size;
    if (isMountPoint(item)) return 0;
    UniqueFd dir(openat(item.parent.get(), item.name.constData(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.valid()) return 0;
    SizeVisitor visitor;
    walkTree(dir.get(), encodePath(path), visitor, kSizeThreads);
    return visitor.total.load();
}

bool removeFile(const QString& path, Error* error) {
    const OpenedParent item = openParentBeneathAnchor(path);
    int err = item.error;
    if (err == 0 && unlinkat(item.parent.get(), item.name.constData(), 0) == 0) return true;
    if (err == 0) err = errno;
    if (error) *error = errorFor(err, path);
    return false;
}

void removeDirectory(const QString& path, bool keepContainingFolder,
                     std::vector<RemovalFailure>* failures) {
    const OpenedParent item = openParentBeneathAnchor(path);
    if (item.error != 0) {
        failures->push_back({path, errorFor(item.error, path)});
        return;
    }
    const UniqueFd dir = openDirectoryToEmpty(item, path, nullptr, failures);
    if (dir.valid()) removeOpenedDirectory(item, dir, path, keepContainingFolder, failures);
}

void removeScannedItem(const QString& path, const FileIdentity& scanned,
                       std::vector<RemovalFailure>* failures) {
    const OpenedParent item = openParentBeneathAnchor(path);
    struct statx st;
    if (item.error != 0 || !lstatAt(item, &st)) {
        const int err = item.error != 0 ? item.error : errno;
        failures->push_back({path, errorFor(err, path)});
        return;
    }
    if (!scanned.stillDescribes(FileIdentity::fromStatx(st))) {
        failures->push_back({path, Error::changedSinceScan()});
        return;
    }
    if (!S_ISDIR(st.stx_mode)) {
        if (unlinkat(item.parent.get(), item.name.constData(), 0) != 0) {
            failures->push_back({path, errorFor(errno, path)});
        }
        return;
    }
    const UniqueFd dir = openDirectoryToEmpty(item, path, &scanned, failures);
    if (dir.valid()) removeOpenedDirectory(item, dir, path, false, failures);
}

bool listDirectory(const QString& path, std::vector<DirectoryEntry>* entries, HiddenNames hidden) {
    int error = 0;
    UniqueFd fd = openFolderBeneathAnchor(path, &error);
    if (!fd.valid()) return false;
    DIR* dir = fdopendir(fd.get());
    if (!dir) return false;
    const int dirFd = fd.get();
    fd.release();  // the stream owns it now
    while (const struct dirent* d = readdir(dir)) {
        if (isDotOrDotDot(d->d_name)) continue;
        if (d->d_name[0] == '.' && hidden == HiddenNames::Skip) continue;
        struct statx st;
        if (statx(dirFd, d->d_name, AT_SYMLINK_NOFOLLOW, FileIdentity::kStatxMask | STATX_BTIME,
                  &st) != 0) {
            continue;
        }
        const QString name = decodePath(d->d_name, qsizetype(strlen(d->d_name)));
        DirectoryEntry entry{
            appendPathComponent(path, name), name, S_ISDIR(st.stx_mode), {}, dateFrom(st.stx_mtime),
            FileIdentity::fromStatx(st)};
        // File systems without birth times report none; the change of content is then
        // the oldest date we know.
        entry.creationDate =
            (st.stx_mask & STATX_BTIME) ? dateFrom(st.stx_btime) : entry.modificationDate;
        entries->push_back(std::move(entry));
    }
    closedir(dir);
    return true;
}

bool itemDates(const QString& path, QDateTime* creationDate, QDateTime* modificationDate,
               FileIdentity* identity) {
    const OpenedParent item = openParentBeneathAnchor(path);
    struct statx st;
    if (item.error != 0 || !lstatAt(item, &st)) return false;
    *modificationDate = dateFrom(st.stx_mtime);
    *creationDate = (st.stx_mask & STATX_BTIME) ? dateFrom(st.stx_btime) : *modificationDate;
    if (identity) *identity = FileIdentity::fromStatx(st);
    return true;
}

std::optional<QByteArray> readFileContents(const QString& path, qint64 maxBytes) {
    UniqueFd fd(open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > maxBytes) {
        return std::nullopt;
    }
    QByteArray content;
    char buffer[16 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || content.size() + n > maxBytes) return std::nullopt;
        if (n == 0) return content;
        content.append(buffer, qsizetype(n));
    }
}

bool writeFileAtomically(const QString& path, const QByteArray& content) {
    QByteArray temporary = encodePath(path) + ".XXXXXX";
    UniqueFd fd(mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid()) return false;
    bool ok = fchmod(fd.get(), 0644) == 0;
    for (qsizetype written = 0; ok && written < content.size();) {
        const ssize_t n =
            ::write(fd.get(), content.constData() + written, size_t(content.size() - written));
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        written += n;
    }
    ok = ok && fsync(fd.get()) == 0 &&
         rename(temporary.constData(), encodePath(path).constData()) == 0;
    if (!ok) unlink(temporary.constData());
    return ok;
}

}  // namespace platform
