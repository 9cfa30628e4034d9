#include "tools/mdsearch/index_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>
#include <QCryptographicHash>
#include <cerrno>
#include <cstdlib>

#include "platform/unique_fd.h"

namespace mdsearch {
namespace {

int64_t clockNow() {
    struct timespec t;
    clock_gettime(CLOCK_REALTIME, &t);
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// Creates every missing folder of `path`, private to the user.
bool makeFolders(const std::string& path) {
    for (size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const std::string prefix = path.substr(0, at);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Held by the run that refreshes. Anything but a regular file in the lock's place (a
// FIFO, a device) is not our lock: the run then refreshes without it and saves nothing,
// since another run may be writing too.
class ScopedLock {
public:
    explicit ScopedLock(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0600)) {
        struct stat st;
        if (!fd_.valid() || fstat(fd_.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
            fd_.reset();
            return;
        }
        while (flock(fd_.get(), LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            fd_.reset();
            return;
        }
    }
    bool held() const { return fd_.valid(); }

private:
    platform::UniqueFd fd_;
};

}  // namespace

IndexView IndexStore::Answer::view() const {
    if (const auto* stored = std::get_if<StoredIndex>(&index)) return stored->view();
    if (const auto* built = std::get_if<BuiltIndex>(&index)) return built->view();
    return IndexView();
}

IndexStore::IndexStore(Options options) : options_(std::move(options)) {
    if (options_.cacheFolder.empty()) options_.cacheFolder = defaultCacheFolder();
}

std::string IndexStore::defaultCacheFolder() {
    const char* xdg = std::getenv("XDG_CACHE_HOME");
    std::string base;
    if (xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        base = std::string(home) + "/.cache";
    } else {
        base = "/tmp";
    }
    return base + "/sweepwell/metadata-index";
}

std::string IndexStore::indexFileFor(const std::string& rootPath) const {
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(rootPath), QCryptographicHash::Sha1)
            .toHex();
    return options_.cacheFolder + "/" + digest.toStdString() + ".index";
}

bool IndexStore::fresh(const IndexView& view, const RootIdentity& root, int64_t now) const {
    // A refresh that began after this run began saw the tree as this run must; a time
    // stamp ahead of the clock means the clock was set back, and proves nothing.
    return view.root() == root && view.refreshedAt() >= now - options_.windowNanoseconds &&
           view.refreshedAt() <= clockNow();
}

void IndexStore::removeLeftovers(const std::string& indexFile) const {
    const std::string prefix = indexFile.substr(indexFile.rfind('/') + 1) + ".tmp.";
    DIR* dir = opendir(options_.cacheFolder.c_str());
    if (!dir) return;
    while (const dirent* entry = readdir(dir)) {
        if (std::string_view(entry->d_name).starts_with(prefix)) {
            unlinkat(dirfd(dir), entry->d_name, 0);
        }
    }
    closedir(dir);
}

std::optional<IndexStore::Answer> IndexStore::indexFor(const std::string& rootPath, int64_t now) {
    const platform::UniqueFd rootFd(::open(rootPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!rootFd.valid()) return std::nullopt;
    const auto root = identityOf(rootFd.get());
    if (!root || isVirtualFileSystem(rootFd.get())) return std::nullopt;

    const std::string file = indexFileFor(rootPath);
    Answer answer;
    if (auto stored = StoredIndex::load(file, rootPath);
        stored && fresh(stored->view(), *root, now)) {
        answer.index.emplace<StoredIndex>(std::move(*stored));
        return answer;
    }
    const bool canStore = makeFolders(options_.cacheFolder);
    const ScopedLock lock(file + ".lock");
    auto previous = StoredIndex::load(file, rootPath);
    if (previous && fresh(previous->view(), *root, now)) {
        answer.index.emplace<StoredIndex>(std::move(*previous));
        return answer;
    }
    if (lock.held()) removeLeftovers(file);
    auto built = refreshIndex(rootFd.get(), rootPath, previous ? &previous->view() : nullptr,
                              clockNow(), &answer.stats);
    if (!built) return std::nullopt;
    answer.refreshed = true;
    answer.saved = canStore && lock.held() && built->save(file);
    answer.index.emplace<BuiltIndex>(std::move(*built));
    return answer;
}

bool isVirtualFileSystem(int fd) {
    struct statfs fs;
    if (fstatfs(fd, &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
        case PROC_SUPER_MAGIC:
        case SYSFS_MAGIC:
        case DEVPTS_SUPER_MAGIC:
        case CGROUP_SUPER_MAGIC:
        case CGROUP2_SUPER_MAGIC:
        case DEBUGFS_MAGIC:
        case TRACEFS_MAGIC:
        case SECURITYFS_MAGIC:
        case PSTOREFS_MAGIC:
        case BPF_FS_MAGIC:
        case 0x62656570:  // configfs
        case 0x65735543:  // fusectl
        case 0x19800202:  // mqueue
        case HUGETLBFS_MAGIC:
        case AUTOFS_SUPER_MAGIC:
        case NSFS_MAGIC:
        case EFIVARFS_MAGIC:
        case BINFMTFS_MAGIC:
            return true;
        default:
            return false;
    }
}

}  // namespace mdsearch
