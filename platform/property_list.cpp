#include "platform/property_list.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QVariantList>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "platform/file_path.h"
#include "platform/unique_fd.h"

namespace platform {
namespace {

// libplist recurses once per nesting level while parsing binary lists and while freeing
// any list, without a depth limit. We measured about 120 bytes of stack per level; the
// budget below leaves four times that.
constexpr size_t kStackBytesPerLevel = 512;
constexpr size_t kBaseStackBytes = size_t(512) << 10;
// Reserved address space, not memory: only the pages a parse touches are ever committed.
constexpr size_t kMaxStackBytes = size_t(1) << 30;
// Seconds between 1970 and 2001, the epoch of property-list dates.
constexpr qint64 kPlistEpochOffset = 978307200;

bool isBinary(const QByteArray& data) {
    return data.startsWith("bplist00");
}

quint64 readBigEndian(const QByteArray& data, qsizetype offset, int bytes) {
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | quint8(data[offset + i]);
    return value;
}

// The same for a field of any width; past eight bytes libplist reads the last eight.
quint64 readWideBigEndian(const QByteArray& data, quint64 offset, quint64 bytes) {
    const quint64 skipped = bytes > 8 ? bytes - 8 : 0;
    return readBigEndian(data, qsizetype(offset + skipped), int(bytes - skipped));
}

// The fixed 32-byte trailer that ends a binary list: the sizes of offsets and object
// references, the object count, the top object and where the offset table starts.
struct BinaryTrailer {
    int offsetSize = 0;
    int refSize = 0;
    quint64 objects = 0;
    quint64 root = 0;
    quint64 table = 0;
};

std::optional<BinaryTrailer> binaryTrailer(const QByteArray& data) {
    const qsizetype size = data.size();
    if (!isBinary(data) || size < 8 + 32) return std::nullopt;
    return BinaryTrailer{int(quint8(data[size - 26])), int(quint8(data[size - 25])),
                         readBigEndian(data, size - 24, 8), readBigEndian(data, size - 16, 8),
                         readBigEndian(data, size - 8, 8)};
}

// A binary list nests at most once per object, since libplist refuses to visit an object
// twice on one path.
quint64 binaryNestingBound(const QByteArray& data, const std::optional<BinaryTrailer>& trailer) {
    const quint64 size = quint64(data.size());
    return trailer ? std::min(size, trailer->objects) : size;
}

// Whether every dictionary key of a binary list is a string without a NUL character.
// libplist accepts other keys but then asserts, aborting the process, when one is read;
// so a list failing this gives no value. Anything this reader cannot follow is left to
// libplist, which rejects it.
class BinaryKeyCheck {
public:
    BinaryKeyCheck(const QByteArray& data, const BinaryTrailer& trailer)
        : data_(data),
          offsetSize_(trailer.offsetSize),
          refSize_(trailer.refSize),
          objects_(trailer.objects),
          table_(trailer.table) {
        readable_ = offsetSize_ >= 1 && offsetSize_ <= 8 && refSize_ >= 1 && refSize_ <= 8 &&
                    objects_ <= quint64(data_.size()) &&
                    fits(table_, objects_ * quint64(offsetSize_));
    }

    bool keysArePlainText() const {
        if (!readable_) return true;
        for (quint64 i = 0; i < objects_; ++i) {
            if (!dictionaryKeysArePlainText(objectOffset(i))) return false;
        }
        return true;
    }

private:
    quint64 objectOffset(quint64 index) const {
        return readBigEndian(data_, qsizetype(table_ + index * quint64(offsetSize_)), offsetSize_);
    }

    bool fits(quint64 offset, quint64 length) const {
        return offset <= quint64(data_.size()) && length <= quint64(data_.size()) - offset;
    }

    // The element count of the object at `offset` and where its elements start; false when
    // it cannot be read.
    bool count(quint64 offset, quint64* count, quint64* start) const {
        const quint8 marker = quint8(data_[qsizetype(offset)]);
        *count = marker & 0x0f;
        *start = offset + 1;
        if (*count != 0x0f) return true;
        if (!fits(*start, 1) || (quint8(data_[qsizetype(*start)]) & 0xf0) != 0x10) return false;
        const int bytes = 1 << (quint8(data_[qsizetype(*start)]) & 0x0f);
        if (bytes > 8 || !fits(*start + 1, quint64(bytes))) return false;
        *count = readBigEndian(data_, qsizetype(*start + 1), bytes);
        *start += 1 + quint64(bytes);
        return true;
    }

    bool dictionaryKeysArePlainText(quint64 offset) const {
        quint64 keys = 0;
        quint64 start = 0;
        if (!fits(offset, 1) || (quint8(data_[qsizetype(offset)]) & 0xf0) != 0xd0) return true;
        if (!count(offset, &keys, &start) || keys > quint64(data_.size()) ||
            !fits(start, keys * quint64(refSize_)))
            return true;
        for (quint64 k = 0; k < keys; ++k) {
            const quint64 ref =
                readBigEndian(data_, qsizetype(start + k * quint64(refSize_)), refSize_);
            if (ref < objects_ && !isPlainText(objectOffset(ref))) return false;
        }
        return true;
    }

    bool isPlainText(quint64 offset) const {
        quint64 length = 0;
        quint64 start = 0;
        if (!fits(offset, 1) || !count(offset, &length, &start)) return false;
        const quint8 kind = quint8(data_[qsizetype(offset)]) & 0xf0;
        if (kind != 0x50 && kind != 0x60) return false;
        const quint64 bytes = kind == 0x50 ? length : length * 2;
        if (length > quint64(data_.size()) || !fits(start, bytes)) return true;
        const QByteArrayView text(data_.constData() + start, qsizetype(bytes));
        for (qsizetype i = 0; i < text.size(); i += kind == 0x50 ? 1 : 2) {
            if (text[i] == 0 && (kind == 0x50 || text[i + 1] == 0)) return false;
        }
        return true;
    }

    const QByteArray& data_;
    const int offsetSize_;
    const int refSize_;
    const quint64 objects_;
    const quint64 table_;
    bool readable_ = false;
};

// What the nesting checks find of a list.
enum class Nesting {
    WithinLimit,
    Refused,
    Unchecked,  // too large for the memory the check needs
};

// Tells whether a binary list nests at most kMaxPropertyListDepth arrays, dictionaries and
// sets deep and refers to no object that is missing or that holds the referrer, all of
// which libplist refuses. libplist compares each object with all its ancestors, in time
// quadratic in the depth; this walk reads each object once, on a stack of its own. It
// follows references as libplist does; an object it cannot read is a leaf here, as
// libplist refuses it anyway. Objects are told apart by their offset: two indices of one
// offset hold the same thing, and a list of shared objects would otherwise be walked once
// per index.
class BinaryNesting {
public:
    BinaryNesting(const QByteArray& data, const BinaryTrailer& trailer)
        : data_(data),
          offsetSize_(quint64(trailer.offsetSize)),
          refSize_(quint64(trailer.refSize)),
          objects_(trailer.objects),
          root_(trailer.root),
          table_(trailer.table) {
        const quint64 end = quint64(data_.size()) - 32;
        walkable_ = offsetSize_ > 0 && refSize_ > 0 && root_ < objects_ && table_ >= 8 &&
                    table_ < end && objects_ <= (end - table_) / offsetSize_;
    }

    Nesting walk() {
        if (!walkable_) return Nesting::WithinLimit;
        // Zeroed pages fresh from the system: a walk that stops early touches only the
        // marks it sets, however long the list.
        marks_.reset(static_cast<quint16*>(std::calloc(size_t(table_), sizeof(quint16))));
        if (!marks_) return Nesting::Unchecked;
        path_.reserve(kMaxPropertyListDepth);
        if (!enter(objectOffset(root_))) return Nesting::Refused;
        while (!path_.empty()) {
            Frame& top = path_.back();
            if (top.next == top.refCount) {
                finish();
                continue;
            }
            const quint64 ref = readWideBigEndian(data_, top.refs + top.next * refSize_, refSize_);
            ++top.next;
            if (ref >= objects_ || !enter(objectOffset(ref))) return Nesting::Refused;
        }
        return Nesting::WithinLimit;
    }

private:
    // A mark is kUnseen, kOnPath, or the height of a finished object plus one: the number of
    // containers on its deepest path down, itself included.
    static constexpr quint16 kUnseen = 0;
    static constexpr quint16 kOnPath = 0xffff;

    struct Frame {
        quint64 offset = 0;
        quint64 refs = 0;  // where its references start
        quint64 refCount = 0;
        quint64 next = 0;
        quint16 childHeight = 0;  // the greatest among its children finished so far
    };

    quint8 byteAt(quint64 offset) const { return quint8(data_[qsizetype(offset)]); }

    quint64 objectOffset(quint64 index) const {
        return readWideBigEndian(data_, table_ + index * offsetSize_, offsetSize_);
    }

    // Pushes a container not seen before; false when that makes the list too deep or
    // closes a cycle.
    bool enter(quint64 offset) {
        if (offset < 8 || offset >= table_) return true;
        const quint16 mark = marks_[size_t(offset)];
        if (mark == kOnPath) return false;
        if (mark != kUnseen) return settle(quint16(mark - 1));
        Frame frame;
        if (!readContainer(offset, &frame)) {
            marks_[size_t(offset)] = 1;
            return true;
        }
        if (path_.size() >= size_t(kMaxPropertyListDepth)) return false;
        marks_[size_t(offset)] = kOnPath;
        path_.push_back(frame);
        return true;
    }

    // Records the height of an object met again under the top container; false when the
    // path through it is too deep.
    bool settle(quint16 height) {
        if (path_.size() + height > size_t(kMaxPropertyListDepth)) return false;
        if (!path_.empty()) path_.back().childHeight = std::max(path_.back().childHeight, height);
        return true;
    }

    // Pops the top container once its children are done; the checks made on the way down
    // keep every path through it within the limit.
    void finish() {
        const Frame frame = path_.back();
        path_.pop_back();
        const quint16 height = quint16(frame.childHeight + 1);
        marks_[size_t(frame.offset)] = quint16(height + 1);
        if (!path_.empty()) path_.back().childHeight = std::max(path_.back().childHeight, height);
    }

    // An array, set or dictionary at `offset`, with bounds as libplist checks them: the
    // count and every reference lie before the offset table.
    bool readContainer(quint64 offset, Frame* frame) const {
        const quint8 kind = byteAt(offset) & 0xf0;
        if (kind != 0xa0 && kind != 0xc0 && kind != 0xd0) return false;
        quint64 count = byteAt(offset) & 0x0f;
        quint64 start = offset + 1;
        if (count == 0x0f) {
            if (start >= table_ || (byteAt(start) & 0xf0) != 0x10) return false;
            const quint64 bytes = quint64(1) << (byteAt(start) & 0x0f);
            if (bytes > table_ - start - 1) return false;
            count = readWideBigEndian(data_, start + 1, bytes);
            start += 1 + bytes;
        }
        // A dictionary lists its keys, then its values.
        const quint64 refsPerEntry = kind == 0xd0 ? 2 : 1;
        if (count > (table_ - start) / refSize_ / refsPerEntry) return false;
        *frame = Frame{offset, start, count * refsPerEntry, 0, 0};
        return true;
    }

    const QByteArray& data_;
    const quint64 offsetSize_;
    const quint64 refSize_;
    const quint64 objects_;
    const quint64 root_;
    const quint64 table_;
    bool walkable_ = false;
    std::unique_ptr<quint16[], decltype(&std::free)> marks_{nullptr, &std::free};
    std::vector<Frame> path_;
};

// The index just past the first `terminator` from `from`, or the end. libplist skips text
// in double quotes inside tags and declarations, and so does this when `quoted`.
qsizetype skipPast(QByteArrayView text, qsizetype from, QByteArrayView terminator, bool quoted) {
    if (!quoted) {
        const qsizetype found = text.indexOf(terminator, from);
        return found < 0 ? text.size() : found + terminator.size();
    }
    for (qsizetype i = from; i < text.size(); ++i) {
        if (text.sliced(i).startsWith(terminator)) return i + terminator.size();
        if (text[i] == '"') {
            i = text.indexOf('"', i + 1);
            if (i < 0) return text.size();
        }
    }
    return text.size();
}

// Where the first of `stops` lies at or after `from`, or the end; outside double quotes
// when `quoted`.
qsizetype findFirstOf(QByteArrayView text, qsizetype from, QByteArrayView stops, bool quoted) {
    for (qsizetype i = from; i < text.size(); ++i) {
        if (stops.contains(text[i])) return i;
        if (quoted && text[i] == '"') {
            i = text.indexOf('"', i + 1);
            if (i < 0) return text.size();
        }
    }
    return text.size();
}

// Past a document type declaration whose name starts at `from`, with its internal subset.
qsizetype skipDocumentType(QByteArrayView text, qsizetype from) {
    const qsizetype stop = findFirstOf(text, from, "[>", true);
    if (stop == text.size()) return stop;
    return text[stop] == '>' ? stop + 1 : skipPast(text, stop, "]>", true);
}

// Whether an XML list nests at most kMaxPropertyListDepth arrays and dictionaries deep,
// counted on the tags as libplist's reader takes them: comments, CDATA sections,
// processing instructions and the document type hide what they hold, an empty element
// (<array/>) is a level that closes at once, and names are compared exactly.
bool xmlNestingWithinLimit(const QByteArray& data) {
    const QByteArrayView text(data);
    int depth = 0;
    qsizetype at = 0;
    while ((at = text.indexOf('<', at)) >= 0) {
        const QByteArrayView rest = text.sliced(at + 1);
        if (rest.startsWith("!--")) {
            at = skipPast(text, at + 4, "-->", false);
        } else if (rest.startsWith("![CDATA[")) {
            at = skipPast(text, at + 9, "]]>", false);
        } else if (rest.startsWith("?")) {
            at = skipPast(text, at + 1, "?>", true);
        } else if (rest.startsWith("!DOCTYPE")) {
            at = skipDocumentType(text, at + 9);
        } else {
            const qsizetype nameEnd = findFirstOf(text, at + 1, " \t\r\n<>", false);
            const QByteArrayView name = text.sliced(at + 1, nameEnd - at - 1);
            at = findFirstOf(text, nameEnd, "<>", true);
            if (name == "/array" || name == "/dict") {
                depth = std::max(depth - 1, 0);
            } else if (name == "array" || name == "dict" || name == "array/" || name == "dict/") {
                if (depth == kMaxPropertyListDepth) return false;
                const bool empty = at < text.size() && text[at] == '>' && text[at - 1] == '/';
                if (!empty) ++depth;
            }
        }
    }
    return true;
}

// The XML reader nests only at "<array" and "<dict" tags; counted without regard to case
// so that the bound holds whatever spelling libplist accepts.
quint64 xmlNestingBound(const QByteArray& data) {
    quint64 count = 0;
    const char* p = data.constData();
    const char* end = p + data.size();
    while ((p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p))))) {
        ++p;
        const size_t left = size_t(end - p);
        if ((left >= 5 && strncasecmp(p, "array", 5) == 0) ||
            (left >= 4 && strncasecmp(p, "dict", 4) == 0)) {
            ++count;
        }
    }
    return count;
}

Nesting nesting(const QByteArray& data, const std::optional<BinaryTrailer>& trailer) {
    if (!isBinary(data))
        return xmlNestingWithinLimit(data) ? Nesting::WithinLimit : Nesting::Refused;
    return trailer ? BinaryNesting(data, *trailer).walk() : Nesting::WithinLimit;
}

// The stack a parse of `data` may need, or 0 when that is more than we reserve.
size_t stackFor(const QByteArray& data, const std::optional<BinaryTrailer>& trailer) {
    const quint64 levels =
        (isBinary(data) ? binaryNestingBound(data, trailer) : xmlNestingBound(data)) + 2;
    if (levels > (kMaxStackBytes - kBaseStackBytes) / kStackBytesPerLevel) return 0;
    return kBaseStackBytes + size_t(levels) * kStackBytesPerLevel;
}

// Runs `work` on a thread of its own with the given stack and waits for it.
bool runWithStack(size_t stackBytes, const std::function<void()>& work) {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_t thread;
    bool started = pthread_attr_setstacksize(&attributes, stackBytes) == 0;
    auto* task = const_cast<std::function<void()>*>(&work);
    started = started && pthread_create(
                             &thread, &attributes,
                             [](void* arg) -> void* {
                                 (*static_cast<std::function<void()>*>(arg))();
                                 return nullptr;
                             },
                             task) == 0;
    pthread_attr_destroy(&attributes);
    if (started) pthread_join(thread, nullptr);
    return started;
}

QVariant toVariant(plist_t node, int depth, bool* rejected);

QVariant arrayToVariant(plist_t node, int depth, bool* rejected) {
    QVariantList list;
    plist_array_iter iter = nullptr;
    plist_array_new_iter(node, &iter);
    plist_t item = nullptr;
    for (plist_array_next_item(node, iter, &item); item && !*rejected;
         plist_array_next_item(node, iter, &item)) {
        list.append(toVariant(item, depth + 1, rejected));
    }
    free(iter);
    return list;
}

QVariant dictToVariant(plist_t node, int depth, bool* rejected) {
    QVariantMap map;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iter, &key, &item);
        if (!item || *rejected) {
            free(key);
            break;
        }
        map.insert(QString::fromUtf8(key), toVariant(item, depth + 1, rejected));
        free(key);
    }
    free(iter);
    return map;
}

QVariant scalarToVariant(plist_t node) {
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return bool(value);
        }
        case PLIST_UINT: {
            // libplist keeps negative integers as their two's complement.
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            return qlonglong(value);
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return value;
        }
        case PLIST_STRING:
        case PLIST_KEY: {
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return QString::fromUtf8(text, qsizetype(length));
        }
        case PLIST_DATA: {
            uint64_t length = 0;
            const char* bytes = plist_get_data_ptr(node, &length);
            return QByteArray(bytes, qsizetype(length));
        }
        case PLIST_DATE: {
            int32_t seconds = 0;
            int32_t micros = 0;
            plist_get_date_val(node, &seconds, &micros);
            const qint64 ms = (qint64(seconds) + kPlistEpochOffset) * 1000 + micros / 1000;
            return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
        }
        case PLIST_UID: {
            uint64_t value = 0;
            plist_get_uid_val(node, &value);
            return QVariantMap{{QStringLiteral("CF$UID"), qulonglong(value)}};
        }
        default:
            return QVariant();
    }
}

QVariant toVariant(plist_t node, int depth, bool* rejected) {
    // The nesting checks read the bytes the way libplist reads them; this holds for what
    // libplist actually built, since callers destroy the value on stacks of any size.
    if (depth > kMaxPropertyListDepth) {
        *rejected = true;
        return QVariant();
    }
    switch (plist_get_node_type(node)) {
        case PLIST_ARRAY:
            return arrayToVariant(node, depth, rejected);
        case PLIST_DICT:
            return dictToVariant(node, depth, rejected);
        default:
            return scalarToVariant(node);
    }
}

struct Parse {
    PropertyListStatus status = PropertyListStatus::Malformed;
    std::optional<QVariant> value;
};

Parse parse(const QByteArray& data, bool wantValue) {
    Parse result;
    // libplist takes a 32-bit length.
    if (data.isEmpty() || quint64(data.size()) > 0xffffffffu) {
        if (!data.isEmpty()) result.status = PropertyListStatus::Unexamined;
        return result;
    }
    const std::optional<BinaryTrailer> trailer = binaryTrailer(data);
    switch (nesting(data, trailer)) {
        case Nesting::WithinLimit:
            break;
        case Nesting::Refused:
            return result;
        case Nesting::Unchecked:
            result.status = PropertyListStatus::Unexamined;
            return result;
    }
    const size_t stack = stackFor(data, trailer);
    const bool ran =
        stack != 0 && runWithStack(stack, [&] {
            plist_t root = nullptr;
            plist_from_memory(data.constData(), uint32_t(data.size()), &root);
            if (!root) return;
            result.status = PropertyListStatus::Parsed;
            if (wantValue && (!trailer || BinaryKeyCheck(data, *trailer).keysArePlainText())) {
                // Built and, when too deep, dropped here, where the stack allows it.
                bool rejected = false;
                QVariant value = toVariant(root, 0, &rejected);
                if (!rejected) result.value = std::move(value);
            }
            plist_free(root);
        });
    if (!ran) result.status = PropertyListStatus::Unexamined;
    return result;
}

struct FileContent {
    PropertyListStatus status = PropertyListStatus::Malformed;  // Parsed: read in full
    QByteArray bytes;
};

FileContent readFile(const QString& path) {
    FileContent content;
    if (path.isEmpty()) return content;
    const UniqueFd fd(
        open(encodePath(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) return content;
    struct stat st;
    if (fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode)) {
        content.status = st.st_size > kMaxPropertyListFileBytes ? PropertyListStatus::Unexamined
                                                                : PropertyListStatus::Parsed;
        if (content.status == PropertyListStatus::Parsed) content.bytes.reserve(st.st_size);
    }
    // Read to the end rather than to the size seen, which may change while we read.
    char buffer[64 * 1024];
    while (content.status == PropertyListStatus::Parsed) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) content.status = PropertyListStatus::Malformed;
        if (n <= 0) break;
        content.bytes.append(buffer, qsizetype(n));
        if (content.bytes.size() > kMaxPropertyListFileBytes) {
            content.status = PropertyListStatus::Unexamined;
        }
    }
    if (content.status != PropertyListStatus::Parsed) content.bytes.clear();
    return content;
}

}  // namespace

PropertyListStatus checkPropertyList(const QByteArray& data) {
    return parse(data, false).status;
}

std::optional<QVariant> parsePropertyList(const QByteArray& data) {
    return parse(data, true).value;
}

std::optional<QVariantMap> propertyListDictionary(const QByteArray& data) {
    const std::optional<QVariant> value = parsePropertyList(data);
    if (!value || value->typeId() != QMetaType::QVariantMap) return std::nullopt;
    return value->toMap();
}

PropertyListStatus checkPropertyListFile(const QString& path) {
    const FileContent content = readFile(path);
    if (content.status != PropertyListStatus::Parsed) return content.status;
    return checkPropertyList(content.bytes);
}

std::optional<QVariantMap> propertyListDictionaryAtPath(const QString& path) {
    const FileContent content = readFile(path);
    if (content.status != PropertyListStatus::Parsed) return std::nullopt;
    return propertyListDictionary(content.bytes);
}

}  // namespace platform
