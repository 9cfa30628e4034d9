#include "tools/removal-helper/caller_home.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <QList>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/tree_walk.h"

using platform::UniqueFd;

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr qint64 kMaxUserDirsBytes = 64 * 1024;

Attempt failed(Attempt attempt, int err, const QByteArray& reason = {}) {
    attempt.outcome = Attempt::Outcome::Failed;
    attempt.errnoValue = err;
    attempt.reason = reason.isEmpty() ? QByteArray(strerror(err)) : reason;
    return attempt;
}

bool nothingAt(int parent, const char* name) {
    struct stat st;
    return fstatat(parent, name, &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
}

// Empties a folder through descriptors. The walk neither follows links nor enters another
// mount; the first failure is kept, since a folder that could not be removed afterwards
// only repeats that its content is still there.
class EmptyingVisitor : public platform::WalkVisitor {
public:
    void visitEntry(const platform::WalkEntry& entry) override {
        struct statx st;
        const quint64 size = entry.stat(&st) ? st.stx_size : 0;
        if (unlinkat(entry.dirFd, entry.name, 0) == 0) {
            bytes += size;
        } else {
            note(entry, errno);
        }
    }
    void leaveDirectory(const platform::WalkEntry& entry) override {
        if (unlinkat(entry.dirFd, entry.name, AT_REMOVEDIR) != 0) note(entry, errno);
    }
    void walkFailed(const platform::WalkEntry& entry, int err) override { note(entry, err); }

    quint64 bytes = 0;
    int firstError = 0;
    QByteArray firstFailure;

private:
    void note(const platform::WalkEntry& entry, int err) {
        if (err == ENOENT || firstError != 0) return;
        firstError = err;
        firstFailure =
            entry.path() + ": " +
            (err == EXDEV ? QByteArray("another mounted file system") : QByteArray(strerror(err)));
    }
};

}  // namespace

Attempt Attempt::refused(const QByteArray& path, const QByteArray& reason, int errnoValue) {
    Attempt attempt(path);
    attempt.outcome = Outcome::Refused;
    attempt.reason = reason;
    attempt.errnoValue = errnoValue;
    return attempt;
}

std::optional<CallerHome> CallerHome::open(const QByteArray& path, uid_t owner, QByteArray* why) {
    UniqueFd fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || fstat(fd.get(), &st) != 0) {
        *why = "the home folder cannot be opened: " + QByteArray(strerror(errno));
        return std::nullopt;
    }
    if (st.st_uid != owner) {
        *why = "the home folder belongs to another user";
        return std::nullopt;
    }
    const quint64 mount = platform::mountIdOf(fd.get(), "", AT_EMPTY_PATH);
    return CallerHome(path, std::move(fd), st.st_dev, mount);
}

QByteArray CallerHome::userDirsFile() const {
    const UniqueFd config(openat(fd_.get(), ".config", kFolderFlags));
    if (!config.valid()) return {};
    // O_NONBLOCK: a FIFO put there must not hold the helper up.
    const UniqueFd file(
        openat(config.get(), "user-dirs.dirs", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!file.valid() || fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    QByteArray content(qsizetype(std::min<qint64>(st.st_size, kMaxUserDirsBytes)), '\0');
    const ssize_t got = pread(file.get(), content.data(), size_t(content.size()), 0);
    content.truncate(got > 0 ? got : 0);
    return content;
}

bool CallerHome::onHomeFileSystem(int dirFd, const char* name, int flags) const {
    struct stat st;
    if (fstatat(dirFd, name, &st, flags) != 0) return false;
    // A bind mount of the same disk keeps the device number; only its mount ID differs.
    return st.st_dev == device_ && platform::mountIdOf(dirFd, name, flags) == mount_;
}

Attempt CallerHome::remove(const QByteArray& path) const {
    Attempt attempt(path);
    const QList<QByteArray> components = path.mid(path_.size() + 1).split('/');
    UniqueFd parent(fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
    for (qsizetype i = 0; i + 1 < components.size(); ++i) {
        UniqueFd next(openat(parent.get(), components[i].constData(), kFolderFlags));
        if (!next.valid()) return unopenedComponent(parent.get(), components[i], errno, attempt);
        if (!onHomeFileSystem(next.get(), "", AT_EMPTY_PATH)) {
            return Attempt::refused(path, "another mounted file system is on the way", EXDEV);
        }
        parent = std::move(next);
    }
    return removeItem(parent.get(), components.last(), attempt);
}

Attempt CallerHome::unopenedComponent(int parent, const QByteArray& name, int err,
                                      Attempt attempt) const {
    struct stat st;
    if (fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
        return Attempt::refused(attempt.path, "a symbolic link is on the way", ELOOP);
    }
    // A component that is missing, or a file where a folder should be: nothing is there.
    if (err == ENOENT || err == ENOTDIR) {
        attempt.outcome = Attempt::Outcome::Missing;
        return attempt;
    }
    return failed(attempt, err);
}

Attempt CallerHome::removeItem(int parent, const QByteArray& name, Attempt attempt) const {
    struct statx st;
    if (statx(parent, name.constData(), AT_SYMLINK_NOFOLLOW, platform::FileIdentity::kStatxMask,
              &st) != 0) {
        if (errno != ENOENT) return failed(attempt, errno);
        attempt.outcome = Attempt::Outcome::Missing;
        return attempt;
    }
    attempt.identity = platform::FileIdentity::fromStatx(st);
    if (!onHomeFileSystem(parent, name.constData(), AT_SYMLINK_NOFOLLOW)) {
        return Attempt::refused(attempt.path, "another mounted file system", EXDEV);
    }
    attempt.outcome = Attempt::Outcome::Removed;
    if (S_ISDIR(st.stx_mode)) {
        removeFolder(parent, name, &attempt);
    } else if (unlinkat(parent, name.constData(), 0) == 0) {
        attempt.removedBytes = st.stx_size;
    } else {
        attempt = failed(attempt, errno);
    }
    // Whatever the calls answered, only an empty place counts as removed.
    if (attempt.outcome == Attempt::Outcome::Removed && !nothingAt(parent, name.constData())) {
        attempt = failed(attempt, EEXIST, "still there after removal");
    }
    return attempt;
}

void CallerHome::removeFolder(int parent, const QByteArray& name, Attempt* attempt) const {
    const UniqueFd folder(openat(parent, name.constData(), kFolderFlags));
    struct stat st;
    if (!folder.valid() || fstat(folder.get(), &st) != 0) {
        *attempt = failed(*attempt, errno);
        return;
    }
    // The folder looked at and the one opened must be the same: one swapped in between
    // is not emptied.
    if (st.st_ino != attempt->identity->inode || !S_ISDIR(st.st_mode)) {
        *attempt = failed(*attempt, EAGAIN, "replaced while it was being removed");
        return;
    }
    EmptyingVisitor visitor;
    platform::walkTree(folder.get(), attempt->path, visitor, 1);
    attempt->removedBytes = visitor.bytes;
    if (visitor.firstError != 0) {
        *attempt = failed(*attempt, visitor.firstError, visitor.firstFailure);
    } else if (unlinkat(parent, name.constData(), AT_REMOVEDIR) != 0) {
        *attempt = failed(*attempt, errno);
    }
}
