#include "tools/mdsearch/metadata_index.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include "platform/unique_fd.h"

namespace mdsearch {
namespace {

constexpr char kMagic[8] = {'S', 'W', 'M', 'D', 'I', 'D', 'X', '\n'};

struct FileHeader {
    char magic[8];
    uint32_t version;
    uint32_t nodeSize;
    int64_t refreshedAt;
    uint64_t rootDevice;
    uint64_t rootInode;
    uint64_t rootMount;
    uint32_t nodeCount;
    uint32_t rootPathLength;
    uint64_t stringsSize;
    uint64_t checksum;  // of the whole file, with this field zero
};
static_assert(sizeof(FileHeader) == 72);

size_t padded(size_t length) {
    return (length + 7) & ~size_t(7);
}

// A corrupt file must be told from a sound one, and a query inside the refresh window
// reads the whole index: four independent multiply-xor lanes over 64-bit words run near
// memory speed. Not a defence against deliberate forgery: the index lives in the user's
// own cache folder.
class Checksum {
public:
    // The same bytes give the same value however they are split across calls.
    void add(const void* data, size_t length) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        if (pending_ > 0) {
            const size_t take = std::min(length, sizeof buffer_ - pending_);
            std::memcpy(buffer_ + pending_, bytes, take);
            pending_ += take;
            bytes += take;
            length -= take;
            if (pending_ < sizeof buffer_) return;
            block(buffer_);
            pending_ = 0;
        }
        for (; length >= sizeof buffer_; bytes += sizeof buffer_, length -= sizeof buffer_) {
            block(bytes);
        }
        std::memcpy(buffer_, bytes, length);
        pending_ = length;
    }

    uint64_t value() const {
        uint64_t h = pending_;
        for (size_t i = 0; i < pending_; ++i)
            h = (h ^ buffer_[i]) * kPrime;
        for (uint64_t lane : lanes_)
            h = (h ^ lane) * kPrime + (h >> 31);
        return h;
    }

private:
    void block(const unsigned char* bytes) {
        for (int lane = 0; lane < 4; ++lane) {
            uint64_t word;
            std::memcpy(&word, bytes + lane * 8, 8);
            lanes_[lane] = (lanes_[lane] ^ word) * kPrime;
            lanes_[lane] ^= lanes_[lane] >> 29;
        }
    }

    static constexpr uint64_t kPrime = 0x100000001b3ull * 0x9E3779B97F4A7C15ull;
    uint64_t lanes_[4] = {1, 2, 3, 4};
    unsigned char buffer_[32];
    size_t pending_ = 0;
};

bool writeAll(int fd, const struct iovec* parts, int count) {
    for (int i = 0; i < count; ++i) {
        const char* data = static_cast<const char*>(parts[i].iov_base);
        size_t left = parts[i].iov_len;
        while (left > 0) {
            const ssize_t n = ::write(fd, data, left);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            left -= size_t(n);
        }
    }
    return true;
}

// Reads exactly `length` bytes; false at an early end of the file or an error.
bool readAll(int fd, void* buffer, size_t length) {
    char* at = static_cast<char*>(buffer);
    while (length > 0) {
        const ssize_t n = ::read(fd, at, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        length -= size_t(n);
    }
    return true;
}

bool isFolderType(uint8_t type) {
    return type == uint8_t(ItemType::Folder) || type == uint8_t(ItemType::Package);
}

}  // namespace

uint32_t IndexView::childNamed(uint32_t parent, std::string_view childName) const {
    for (uint32_t j = parent + 1; j < nodes_[parent].end; j = nodes_[j].end) {
        if (name(j) == childName) return j;
    }
    return kNoNode;
}

void IndexView::appendPath(uint32_t i, std::string* out) const {
    std::vector<uint32_t> chain;
    for (uint32_t at = i; at != 0 && at != kNoNode; at = nodes_[at].parent)
        chain.push_back(at);
    out->append(rootPath_);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (out->empty() || out->back() != '/') out->push_back('/');
        out->append(name(*it));
    }
}

IndexView BuiltIndex::view() const {
    return IndexView(nodes.data(), uint32_t(nodes.size()), strings, rootPath, refreshedAt, root);
}

bool BuiltIndex::save(const std::string& file) const {
    FileHeader header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.version = kIndexFormatVersion;
    header.nodeSize = sizeof(IndexNode);
    header.refreshedAt = refreshedAt;
    header.rootDevice = root.device;
    header.rootInode = root.inode;
    header.rootMount = root.mount;
    header.nodeCount = uint32_t(nodes.size());
    header.rootPathLength = uint32_t(rootPath.size());
    header.stringsSize = strings.size();
    static const char zeros[8] = {};
    const size_t padding = padded(rootPath.size()) - rootPath.size();
    struct iovec parts[5] = {
        {&header, sizeof header},
        {const_cast<char*>(rootPath.data()), rootPath.size()},
        {const_cast<char*>(zeros), padding},
        {const_cast<IndexNode*>(nodes.data()), nodes.size() * sizeof(IndexNode)},
        {const_cast<char*>(strings.data()), strings.size()},
    };
    Checksum checksum;
    for (const auto& part : parts)
        checksum.add(part.iov_base, part.iov_len);
    header.checksum = checksum.value();

    const std::string temporary = file + ".tmp." + std::to_string(getpid());
    // A fresh file only: whatever else is found there (a FIFO, a link) is not written through.
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    const bool written = writeAll(fd, parts, 5);
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.c_str(), file.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

std::optional<StoredIndex> StoredIndex::load(const std::string& file, std::string_view rootPath) {
    // Without O_NONBLOCK a FIFO put in the index's place would hold the open() until some
    // writer came; only a regular file can be an index.
    const platform::UniqueFd fd(
        ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        size_t(st.st_size) < sizeof(FileHeader)) {
        return std::nullopt;
    }
    const size_t length = size_t(st.st_size);
    std::unique_ptr<uint64_t[]> data(new (std::nothrow) uint64_t[(length + 7) / 8]);
    // A file that shrank while it was read ends early: it is no index to trust.
    if (!data || !readAll(fd.get(), data.get(), length)) return std::nullopt;
    StoredIndex index(std::move(data), length);
    if (!index.validate(rootPath)) return std::nullopt;
    return index;
}

bool StoredIndex::validate(std::string_view rootPath) {
    const char* base = reinterpret_cast<const char*>(data_.get());
    FileHeader header;
    std::memcpy(&header, base, sizeof header);
    if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0) return false;
    if (header.version != kIndexFormatVersion || header.nodeSize != sizeof(IndexNode)) return false;
    const uint64_t nodesOffset = sizeof header + padded(header.rootPathLength);
    const uint64_t nodesBytes = uint64_t(header.nodeCount) * sizeof(IndexNode);
    if (header.nodeCount == 0 || nodesOffset + nodesBytes + header.stringsSize != length_) {
        return false;
    }
    const std::string_view storedRoot(base + sizeof header, header.rootPathLength);
    if (storedRoot != rootPath) return false;

    FileHeader zeroed = header;
    zeroed.checksum = 0;
    Checksum checksum;
    checksum.add(&zeroed, sizeof zeroed);
    checksum.add(base + sizeof header, header.rootPathLength);
    static const char zeros[8] = {};
    checksum.add(zeros, padded(header.rootPathLength) - header.rootPathLength);
    checksum.add(base + nodesOffset, nodesBytes + header.stringsSize);
    if (checksum.value() != header.checksum) return false;

    const auto* nodes = reinterpret_cast<const IndexNode*>(base + nodesOffset);
    const uint32_t count = header.nodeCount;
    const uint64_t stringsSize = header.stringsSize;
    // Every record must nest inside its parent exactly as a depth-first walk wrote it, so
    // that walking children by `end` always moves forward and stays inside the file.
    if (nodes[0].parent != kNoNode || nodes[0].end != count || !isFolderType(nodes[0].type)) {
        return false;
    }
    std::vector<uint32_t> open{0};
    for (uint32_t i = 1; i < count; ++i) {
        const IndexNode& n = nodes[i];
        while (!open.empty() && nodes[open.back()].end <= i)
            open.pop_back();
        if (open.empty() || n.parent != open.back()) return false;
        if (n.end <= i || n.end > nodes[n.parent].end) return false;
        if (n.type < uint8_t(ItemType::File) || n.type > uint8_t(ItemType::Package)) return false;
        if (!isFolderType(n.type) && n.end != i + 1) return false;
        if (uint64_t(n.nameOffset) + n.nameLength > stringsSize) return false;
        if (uint64_t(n.extraOffset) + n.extraLength > stringsSize) return false;
        if (isFolderType(n.type)) open.push_back(i);
    }
    const std::string_view strings(base + nodesOffset + nodesBytes, stringsSize);
    view_ = IndexView(nodes, count, strings, storedRoot, header.refreshedAt,
                      RootIdentity{header.rootDevice, header.rootInode, header.rootMount});
    return true;
}

}  // namespace mdsearch
