#include "platform/tree_walk.h"

#include "platform/unique_fd.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <QThreadPool>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace {

// Folders held open per subtree; deeper folders are closed and reached again through
// "..", checked against the device and inode they had.
constexpr int kMaxOpenFrames = 12;

std::function<void(const QByteArray&)>& beforeOpenHook() {
    static std::function<void(const QByteArray&)> hook;
    return hook;
}

// Helper threads shared by every walk of the process, so that twenty categories
// measuring at once cannot start more than this many extra threads.
QThreadPool& helperPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(4);
        p->setExpiryTimeout(10000);
        return p;
    }();
    return *pool;
}

struct DirIdentity {
    quint64 dev = 0;
    quint64 ino = 0;
    quint64 mount = 0;
    bool operator==(const DirIdentity& o) const { return dev == o.dev && ino == o.ino; }
};

bool identify(int fd, DirIdentity* id) {
    struct statx st;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID, &st) != 0) return false;
    id->dev = (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
    id->ino = st.stx_ino;
    id->mount = (st.stx_mask & STATX_MNT_ID) ? st.stx_mnt_id : id->dev;
    return true;
}

unsigned char typeFromMode(mode_t mode) {
    switch (mode & S_IFMT) {
        case S_IFDIR:
            return DT_DIR;
        case S_IFREG:
            return DT_REG;
        case S_IFLNK:
            return DT_LNK;
        case S_IFIFO:
            return DT_FIFO;
        case S_IFSOCK:
            return DT_SOCK;
        case S_IFCHR:
            return DT_CHR;
        case S_IFBLK:
            return DT_BLK;
        default:
            return DT_UNKNOWN;
    }
}

// One folder on a subtree's stack: its entries, read in full before any is visited, so
// that its descriptor can be closed while the walk is deeper down.
struct Frame {
    int fd = -1;
    QByteArray path;
    QByteArray nameInParent;
    DirIdentity identity;
    std::string names;  // NUL-terminated names, back to back
    std::vector<std::pair<quint32, unsigned char>> entries;
    size_t next = 0;
    std::shared_ptr<UniqueFd> shared;  // a duplicate handed to helper threads

    const char* nameAt(size_t i) const { return names.data() + entries[i].first; }
};

struct Task {
    std::shared_ptr<UniqueFd> parent;  // null for the root of the walk
    QByteArray parentPath;
    QByteArray name;
};

struct WalkState {
    WalkState(WalkVisitor& v, int fd, const QByteArray& path, quint64 mount, int helpers)
        : visitor(v), rootFd(fd), rootPath(path), rootMount(mount), maxHelpers(helpers) {}

    WalkVisitor& visitor;
    const int rootFd;
    const QByteArray rootPath;
    const quint64 rootMount;
    const int maxHelpers;

    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Task> tasks;
    int active = 0;
    std::atomic<int> helpersStarted{0};
    std::atomic<int> hungry{0};
};

bool readEntries(Frame& frame) {
    alignas(8) char buffer[64 * 1024];
    for (;;) {
        const long n = syscall(SYS_getdents64, frame.fd, buffer, sizeof buffer);
        if (n < 0) return false;
        if (n == 0) return true;
        for (long offset = 0; offset < n;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + offset);
            offset += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            frame.entries.emplace_back(quint32(frame.names.size()), d->d_type);
            frame.names.append(name, std::strlen(name) + 1);
        }
    }
}

unsigned char resolveType(int dirFd, const char* name, unsigned char type) {
    if (type != DT_UNKNOWN) return type;
    struct stat st;
    if (fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
    return typeFromMode(st.st_mode);
}

// Sized exactly: visitors may keep a folder's path for as long as they keep its entries.
QByteArray joined(const QByteArray& dir, const char* name) {
    const qsizetype length = qsizetype(strlen(name));
    QByteArray path;
    path.reserve(dir.size() + 1 + length);
    path.append(dir);
    if (!path.endsWith('/')) path.append('/');
    path.append(name, length);
    return path;
}

void startHelper(const std::shared_ptr<WalkState>& state);

class SubtreeWalk {
public:
    SubtreeWalk(const std::shared_ptr<WalkState>& state) : state_(state), s_(*state) {}

    ~SubtreeWalk() {
        for (Frame& f : stack_) {
            if (f.fd >= 0) ::close(f.fd);
        }
    }

    void run(const Task& task) {
        if (!task.parent) {
            Frame root;
            // A fresh open of "." rather than dup(): a duplicate would share the read
            // offset, and a second walk of the same folder would then see nothing.
            root.fd = openat(s_.rootFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            root.path = s_.rootPath;
            if (root.fd < 0 || !identify(root.fd, &root.identity)) return;
            if (!readEntries(root)) {
                const WalkEntry entry{s_.rootFd, "", s_.rootPath, DT_DIR};
                s_.visitor.walkFailed(entry, errno);
                ::close(root.fd);
                return;
            }
            push(std::move(root));
        } else if (!enter(task.parent->get(), task.parentPath, task.name.constData())) {
            return;
        }
        loop();
    }

private:
    void loop() {
        while (!stack_.empty()) {
            Frame& top = stack_.back();
            if (top.next == top.entries.size()) {
                if (!pop()) return;
                continue;
            }
            const size_t i = top.next++;
            const char* name = top.nameAt(i);
            const unsigned char type = resolveType(top.fd, name, top.entries[i].second);
            if (type == DT_UNKNOWN) continue;  // vanished since the folder was read
            const WalkEntry entry{top.fd, name, top.path, type};
            if (type != DT_DIR || !s_.visitor.shouldDescend(entry)) {
                s_.visitor.visitEntry(entry);
            } else if (!donate(top, name)) {
                const int fd = top.fd;
                const QByteArray path = top.path;
                enter(fd, path, name);
            }
        }
    }

    // Hands the subfolder to a waiting helper thread instead of walking it here.
    bool donate(Frame& top, const char* name) {
        if (s_.maxHelpers == 0) return false;
        if (s_.hungry.load(std::memory_order_relaxed) == 0) {
            startHelper(state_);
            return false;
        }
        if (!top.shared) {
            top.shared = std::make_shared<UniqueFd>(fcntl(top.fd, F_DUPFD_CLOEXEC, 0));
            if (!top.shared->valid()) return false;
        }
        std::lock_guard lock(s_.mutex);
        s_.tasks.push_back(Task{top.shared, top.path, QByteArray(name)});
        s_.wake.notify_one();
        return true;
    }

    // Opens the subfolder `name` of `parentFd` and pushes it; false when it is not walked.
    bool enter(int parentFd, const QByteArray& parentPath, const char* name) {
        Frame frame;
        frame.path = joined(parentPath, name);
        frame.nameInParent = name;
        if (beforeOpenHook()) beforeOpenHook()(frame.path);
        const WalkEntry entry{parentFd, frame.nameInParent.constData(), parentPath, DT_DIR};
        frame.fd = openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (frame.fd < 0) {
            const int err = errno;
            if (err == ENOTDIR || err == ELOOP) {
                // Replaced by a link or a file since it was listed: that is what we meet now.
                const unsigned char now = resolveType(parentFd, name, DT_UNKNOWN);
                if (now != DT_UNKNOWN)
                    s_.visitor.visitEntry({parentFd, entry.name, parentPath, now});
            } else if (err != ENOENT) {
                s_.visitor.walkFailed(entry, err);
            }
            return false;
        }
        int failure = 0;
        if (!identify(frame.fd, &frame.identity)) {
            failure = errno;
        } else if (frame.identity.mount != s_.rootMount) {
            failure = EXDEV;
        } else if (!readEntries(frame)) {
            failure = errno;
        }
        if (failure != 0) {
            ::close(frame.fd);
            s_.visitor.walkFailed(entry, failure);
            return false;
        }
        push(std::move(frame));
        return true;
    }

    void push(Frame&& frame) {
        stack_.push_back(std::move(frame));
        if (++openFrames_ > kMaxOpenFrames) {
            while (stack_[lowestOpen_].fd < 0)
                ++lowestOpen_;
            ::close(stack_[lowestOpen_].fd);
            stack_[lowestOpen_].fd = -1;
            --openFrames_;
        }
    }

    // Leaves the top folder; false when its parent can no longer be reached safely.
    bool pop() {
        Frame done = std::move(stack_.back());
        stack_.pop_back();
        --openFrames_;
        if (stack_.empty()) {
            ::close(done.fd);
            return true;
        }
        Frame& parent = stack_.back();
        bool ok = true;
        if (parent.fd < 0) {
            parent.fd = openat(done.fd, "..", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            DirIdentity now;
            ok = parent.fd >= 0 && identify(parent.fd, &now) && now == parent.identity;
            ++openFrames_;
            lowestOpen_ = stack_.size() - 1;
        }
        ::close(done.fd);
        if (!ok) {
            // The tree moved while we were inside it: stop rather than act on another folder.
            const WalkEntry entry{-1, "", parent.path, DT_DIR};
            s_.visitor.walkFailed(entry, ESTALE);
            return false;
        }
        s_.visitor.leaveDirectory({parent.fd, done.nameInParent.constData(), parent.path, DT_DIR});
        return true;
    }

    std::shared_ptr<WalkState> state_;
    WalkState& s_;
    std::vector<Frame> stack_;
    int openFrames_ = 0;
    size_t lowestOpen_ = 0;
};

void runWorker(const std::shared_ptr<WalkState>& state) {
    WalkState& s = *state;
    std::unique_lock lock(s.mutex);
    for (;;) {
        if (!s.tasks.empty()) {
            Task task = std::move(s.tasks.front());
            s.tasks.pop_front();
            ++s.active;
            lock.unlock();
            SubtreeWalk(state).run(task);
            task = Task{};
            lock.lock();
            --s.active;
            if (s.active == 0 && s.tasks.empty()) s.wake.notify_all();
            continue;
        }
        if (s.active == 0) return;
        ++s.hungry;
        s.wake.wait(lock);
        --s.hungry;
    }
}

void startHelper(const std::shared_ptr<WalkState>& state) {
    if (state->helpersStarted.fetch_add(1) >= state->maxHelpers) {
        state->helpersStarted.fetch_sub(1);
        return;
    }
    if (!helperPool().tryStart([state] { runWorker(state); })) state->helpersStarted.fetch_sub(1);
}

}  // namespace

QByteArray WalkEntry::path() const {
    return joined(dirPath, name);
}

bool WalkEntry::stat(struct statx* out) const {
    return statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
                 STATX_TYPE | STATX_INO | STATX_SIZE | STATX_MTIME | STATX_BTIME | STATX_ATIME,
                 out) == 0;
}

quint64 mountIdOf(int fd, const char* name, int flags) {
    struct statx st;
    if (statx(fd, name, flags, STATX_MNT_ID, &st) != 0) return 0;
    if (st.stx_mask & STATX_MNT_ID) return st.stx_mnt_id;
    return (quint64(st.stx_dev_major) << 32) | st.stx_dev_minor;
}

void walkTree(int rootFd, const QByteArray& rootPath, WalkVisitor& visitor, int threads) {
    DirIdentity root;
    if (!identify(rootFd, &root)) return;
    auto state = std::make_shared<WalkState>(visitor, rootFd, rootPath, root.mount,
                                             std::max(0, threads - 1));
    state->tasks.push_back(Task{});
    runWorker(state);
}

void setBeforeOpenDirectoryHook(std::function<void(const QByteArray& path)> hook) {
    beforeOpenHook() = std::move(hook);
}

}  // namespace platform
