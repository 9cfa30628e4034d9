#include "tools/mdsearch/index_refresh.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "platform/packages.h"
#include "platform/unique_fd.h"

namespace mdsearch {
namespace {

constexpr unsigned kStatMask =
    STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_ATIME | STATX_INO | STATX_MNT_ID;

int64_t nanoseconds(const struct statx_timestamp& t) {
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

uint64_t mountOf(const struct statx& st) {
    if (st.stx_mask & STATX_MNT_ID) return st.stx_mnt_id;
    return (uint64_t(st.stx_dev_major) << 32) | st.stx_dev_minor;
}

// A name to examine, with the record it had in the previous index (or kNoNode).
struct Child {
    std::string name;
    uint32_t previous;
};

// Lists a folder with getdents64: the names only, "." and ".." left out.
bool listNames(int fd, bool keepHidden, std::vector<std::string>* names) {
    alignas(8) char buffer[32 * 1024];
    for (;;) {
        const long n = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (n < 0) return false;
        if (n == 0) return true;
        for (long offset = 0; offset < n;) {
            const auto* d = reinterpret_cast<const struct dirent64*>(buffer + offset);
            offset += d->d_reclen;
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            if (name[0] == '.' && !keepHidden) continue;
            names->emplace_back(name);
        }
    }
}

class Refresher {
public:
    Refresher(const std::string& rootPath, const IndexView* previous, int64_t startedAt,
              RefreshStats* stats)
        : previous_(previous), settledBefore_(startedAt - kSettleNanoseconds), stats_(*stats) {
        built_.rootPath = rootPath;
        built_.refreshedAt = startedAt;
    }

    std::optional<BuiltIndex> run(int rootFd) {
        struct statx st;
        if (statx(rootFd, "", AT_EMPTY_PATH, kStatMask, &st) != 0 || !S_ISDIR(st.stx_mode)) {
            return std::nullopt;
        }
        built_.root = RootIdentity{(uint64_t(st.stx_dev_major) << 32) | st.stx_dev_minor,
                                   st.stx_ino, mountOf(st)};
        if (previous_ && previous_->root() != built_.root) previous_ = nullptr;
        const uint32_t root = addNode(kNoNode, st, {0, 0}, ItemType::Folder, 0);
        walkFolder(rootFd, root, previous_ ? 0 : kNoNode, false, 0);
        built_.nodes[root].end = uint32_t(built_.nodes.size());
        return std::move(built_);
    }

private:
    // Records the entries of the folder `self` (open as `fd`) after it; answers the total
    // size of everything below it that is not a folder.
    int64_t walkFolder(int fd, uint32_t self, uint32_t before, bool inPackage, int depth) {
        std::vector<Child> children;
        if (!childrenOf(fd, self, before, inPackage, &children)) return 0;
        int64_t total = 0;
        for (const Child& child : children) {
            struct statx st;
            if (statx(fd, child.name.c_str(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, kStatMask,
                      &st) != 0) {
                continue;
            }
            ++stats_.entriesChecked;
            if (S_ISDIR(st.stx_mode)) {
                total += addFolder(fd, child, st, self, inPackage, depth);
            } else if (S_ISREG(st.stx_mode) || inPackage) {
                total += int64_t(st.stx_size);
                addFile(fd, child, st, self, inPackage);
            }
        }
        return total;
    }

    bool childrenOf(int fd, uint32_t self, uint32_t before, bool inPackage,
                    std::vector<Child>* children) {
        const IndexNode& now = built_.nodes[self];
        if (before != kNoNode) {
            const IndexNode& old = previous_->node(before);
            if (!(old.flags & kUnsettled) && old.mtime == now.mtime && old.ctime == now.ctime) {
                ++stats_.foldersReused;
                for (uint32_t j = before + 1; j < old.end; j = previous_->node(j).end) {
                    children->push_back(Child{std::string(previous_->name(j)), j});
                }
                return true;
            }
        }
        std::vector<std::string> names;
        if (!listNames(fd, inPackage, &names)) return false;
        ++stats_.foldersRead;
        std::sort(names.begin(), names.end());
        std::unordered_map<std::string_view, uint32_t> previousByName;
        if (before != kNoNode) {
            const uint32_t end = previous_->node(before).end;
            for (uint32_t j = before + 1; j < end; j = previous_->node(j).end) {
                previousByName.emplace(previous_->name(j), j);
            }
        }
        children->reserve(names.size());
        for (std::string& name : names) {
            const auto it = previousByName.find(name);
            children->push_back(
                Child{std::move(name), it == previousByName.end() ? kNoNode : it->second});
        }
        return true;
    }

    int64_t addFolder(int parentFd, const Child& child, const struct statx& st, uint32_t parent,
                      bool inPackage, int depth) {
        if (mountOf(st) != built_.root.mount) return 0;  // another mount: not ours to index
        const bool package = !inPackage && platform::isPackageName(child.name.c_str());
        const uint32_t self =
            addNode(parent, st, stringOf(child.name),
                    package ? ItemType::Package : ItemType::Folder, inPackage ? kInPackage : 0);
        int64_t total = 0;
        const platform::UniqueFd fd(
            openat(parentFd, child.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        struct stat opened;
        // The folder may have been swapped for another since it was examined.
        const bool same =
            fd.valid() && fstat(fd.get(), &opened) == 0 && opened.st_ino == st.stx_ino;
        if (same && depth + 1 < kMaxIndexDepth) {
            const uint32_t before = previousFolder(child.previous);
            total = walkFolder(fd.get(), self, before, inPackage || package, depth + 1);
        }
        IndexNode& node = built_.nodes[self];
        node.end = uint32_t(built_.nodes.size());
        if (package) {
            node.size = total;
            if (same && isAppBundleName(child.name)) describeApp(fd.get(), self, child.previous);
        }
        return total;
    }

    void addFile(int dirFd, const Child& child, const struct statx& st, uint32_t parent,
                 bool inPackage) {
        const uint32_t self =
            addNode(parent, st, stringOf(child.name), ItemType::File, inPackage ? kInPackage : 0);
        built_.nodes[self].end = self + 1;
        if (inPackage) return;
        bool screenshot;
        if (const IndexNode* old = unchangedFile(child.previous, built_.nodes[self])) {
            screenshot = old->flags & kScreenshot;
        } else {
            screenshot = isScreenshotName(child.name);
            if (!screenshot && mayHoldScreenshotText(child.name, int64_t(st.stx_size))) {
                ++stats_.contentReads;
                screenshot = pngHasScreenshotText(dirFd, child.name.c_str());
            }
        }
        if (screenshot) built_.nodes[self].flags |= kScreenshot;
    }

    // The previous record of a file whose content cannot have changed since.
    const IndexNode* unchangedFile(uint32_t previous, const IndexNode& now) const {
        if (previous == kNoNode) return nullptr;
        const IndexNode& old = previous_->node(previous);
        if (old.type != uint8_t(ItemType::File) || (old.flags & kUnsettled)) return nullptr;
        if (old.size != now.size || old.mtime != now.mtime || old.ctime != now.ctime)
            return nullptr;
        return &old;
    }

    uint32_t previousFolder(uint32_t previous) const {
        if (previous == kNoNode || previous_->node(previous).type == uint8_t(ItemType::File)) {
            return kNoNode;
        }
        return previous;
    }

    // Marks an application bundle, with its identifier and date of last use.
    void describeApp(int fd, uint32_t self, uint32_t previous) {
        const auto facts = examineAppBundle(fd);
        if (!facts) return;
        IndexNode& node = built_.nodes[self];
        node.flags |= kAppBundle;
        node.atime = facts->usedAt;
        std::optional<std::string> identifier;
        if (const auto kept = previousIdentifier(previous, facts->infoPlist)) {
            identifier = std::string(*kept);
        } else {
            ++stats_.contentReads;
            identifier = readBundleIdentifier(fd);
        }
        if (identifier) {
            const auto [offset, length] = stringOf(*identifier);
            built_.nodes[self].extraOffset = offset;
            built_.nodes[self].extraLength = length;
        }
    }

    // The identifier recorded before, while the bundle's Info.plist is unchanged.
    std::optional<std::string_view> previousIdentifier(uint32_t previous,
                                                       const FileStamp& plist) const {
        if (previous == kNoNode) return std::nullopt;
        const IndexNode& old = previous_->node(previous);
        if (!(old.flags & kAppBundle) || old.extraLength == 0) return std::nullopt;
        const uint32_t contents = previous_->childNamed(previous, "Contents");
        if (contents == kNoNode || previous_->node(contents).type == uint8_t(ItemType::File)) {
            return std::nullopt;
        }
        const uint32_t info = previous_->childNamed(contents, "Info.plist");
        if (info == kNoNode) return std::nullopt;
        const IndexNode& was = previous_->node(info);
        if (was.flags & kUnsettled) return std::nullopt;
        const FileStamp before{was.size, was.mtime, was.ctime, was.atime};
        if (!before.sameContentAs(plist)) return std::nullopt;
        return previous_->extra(previous);
    }

    std::pair<uint32_t, uint32_t> stringOf(std::string_view text) {
        const uint32_t offset = uint32_t(built_.strings.size());
        built_.strings.append(text);
        return {offset, uint32_t(text.size())};
    }

    uint32_t addNode(uint32_t parent, const struct statx& st, std::pair<uint32_t, uint32_t> name,
                     ItemType type, uint8_t flags) {
        IndexNode node{};
        node.parent = parent;
        node.nameOffset = name.first;
        node.nameLength = name.second;
        node.type = uint8_t(type);
        node.flags = flags;
        node.size = type == ItemType::File ? int64_t(st.stx_size) : 0;
        node.mtime = nanoseconds(st.stx_mtime);
        node.ctime = nanoseconds(st.stx_ctime);
        node.atime = nanoseconds(st.stx_atime);
        // A change within the same tick would leave the modification time as it is; any
        // later one moves it, and the change time is compared as well.
        if (node.mtime >= settledBefore_) node.flags |= kUnsettled;
        built_.nodes.push_back(node);
        return uint32_t(built_.nodes.size() - 1);
    }

    const IndexView* previous_;
    const int64_t settledBefore_;
    RefreshStats& stats_;
    BuiltIndex built_;
};

}  // namespace

std::optional<RootIdentity> identityOf(int fd) {
    struct statx st;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_INO | STATX_MNT_ID, &st) != 0) return std::nullopt;
    return RootIdentity{(uint64_t(st.stx_dev_major) << 32) | st.stx_dev_minor, st.stx_ino,
                        mountOf(st)};
}

std::optional<BuiltIndex> refreshIndex(int rootFd, const std::string& rootPath,
                                       const IndexView* previous, int64_t startedAt,
                                       RefreshStats* stats) {
    return Refresher(rootPath, previous, startedAt, stats).run(rootFd);
}

}  // namespace mdsearch
