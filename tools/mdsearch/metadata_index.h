#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/mdsearch/attributes.h"

// The on-disk index of one folder: every file and folder below it (except hidden ones
// outside packages) as fixed-size records in depth-first order, followed by their names.
// A file is read whole and answers queries without further copying.
namespace mdsearch {

inline constexpr uint32_t kNoNode = 0xFFFFFFFFu;
inline constexpr uint32_t kIndexFormatVersion = 3;

enum NodeFlag : uint8_t {
    kInPackage = 1,  // content of a package: counted in its size, never listed itself
    kScreenshot = 2,
    kAppBundle = 4,
    kUnsettled = 8,  // changed too recently to trust its time stamps next time
};

struct IndexNode {
    uint32_t parent;      // the containing folder's node; kNoNode for the root
    uint32_t end;         // one past the last node of this node's subtree
    uint32_t nameOffset;  // into the string pool
    uint32_t nameLength;
    uint32_t extraOffset;  // application bundles: their bundle identifier
    uint32_t extraLength;
    uint8_t type;  // ItemType
    uint8_t flags;
    uint16_t reserved16;
    uint32_t reserved32;
    int64_t size;   // files: logical size; packages: the total of their content
    int64_t mtime;  // nanoseconds since 1970
    int64_t ctime;
    int64_t atime;  // the date of last use (applications: their executable's access)
};
static_assert(sizeof(IndexNode) == 64);

struct RootIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint64_t mount = 0;
    bool operator==(const RootIdentity&) const = default;
};

// A read-only view of an index, loaded or freshly built.
class IndexView {
public:
    IndexView() = default;
    IndexView(const IndexNode* nodes, uint32_t count, std::string_view strings,
              std::string_view rootPath, int64_t refreshedAt, RootIdentity root)
        : nodes_(nodes),
          count_(count),
          strings_(strings),
          rootPath_(rootPath),
          refreshedAt_(refreshedAt),
          root_(root) {}

    uint32_t count() const { return count_; }
    const IndexNode& node(uint32_t i) const { return nodes_[i]; }
    std::string_view name(uint32_t i) const {
        return strings_.substr(nodes_[i].nameOffset, nodes_[i].nameLength);
    }
    std::string_view extra(uint32_t i) const {
        return strings_.substr(nodes_[i].extraOffset, nodes_[i].extraLength);
    }
    std::string_view rootPath() const { return rootPath_; }
    int64_t refreshedAt() const { return refreshedAt_; }
    const RootIdentity& root() const { return root_; }

    // The child of `parent` with this name, or kNoNode.
    uint32_t childNamed(uint32_t parent, std::string_view name) const;
    // The full path of a node, appended to `out`.
    void appendPath(uint32_t i, std::string* out) const;

private:
    const IndexNode* nodes_ = nullptr;
    uint32_t count_ = 0;
    std::string_view strings_;
    std::string_view rootPath_;
    int64_t refreshedAt_ = 0;
    RootIdentity root_;
};

// An index built in memory by a refresh.
struct BuiltIndex {
    std::vector<IndexNode> nodes;
    std::string strings;
    std::string rootPath;
    int64_t refreshedAt = 0;
    RootIdentity root;

    IndexView view() const;
    // Writes the index to a temporary file beside `file` and renames it into place, so
    // readers see either the old index or the new one, never a part.
    bool save(const std::string& file) const;
};

// An index file read into memory. load() refuses anything it cannot fully trust: a
// foreign or older format, a checksum mismatch, records that point outside the file.
// The file is read, never mapped: any process of the user can truncate it, and touching a
// mapping beyond the new end of the file kills the reader with SIGBUS.
class StoredIndex {
public:
    static std::optional<StoredIndex> load(const std::string& file, std::string_view rootPath);

    const IndexView& view() const { return view_; }

private:
    StoredIndex(std::unique_ptr<uint64_t[]> data, size_t length)
        : data_(std::move(data)), length_(length) {}
    bool validate(std::string_view rootPath);

    std::unique_ptr<uint64_t[]> data_;  // in 64-bit words, aligned as the records need
    size_t length_;
    IndexView view_;
};

}  // namespace mdsearch
