#include "tools/mdsearch/attributes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QByteArray>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>

#include "platform/property_list.h"

namespace mdsearch {
namespace {

constexpr std::string_view kOctetStream = "application/octet-stream";

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view extensionOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return {};
    return name.substr(dot + 1);
}

bool extensionIsOneOf(std::string_view name, std::initializer_list<std::string_view> list) {
    const std::string_view extension = extensionOf(name);
    return std::any_of(list.begin(), list.end(),
                       [&](std::string_view e) { return equalsIgnoringCase(extension, e); });
}

// The last two suffixes ("a.tar.gz" -> ".tar.gz"), or the whole name when it has no period:
// enough for the database's globs, and shared by many names.
std::string suffixKey(std::string_view name) {
    const size_t last = name.rfind('.');
    if (last == std::string_view::npos || last == 0) return std::string(name);
    const size_t previous = last > 1 ? name.rfind('.', last - 1) : std::string_view::npos;
    if (previous == std::string_view::npos || previous == 0) return std::string(name.substr(last));
    return std::string(name.substr(previous));
}

bool isDiskImageName(std::string_view name) {
    return extensionIsOneOf(name, {"sparseimage", "sparsebundle"});
}

bool isInstallerName(std::string_view name) {
    return extensionIsOneOf(name, {"pkg", "mpkg"});
}

// The installers and disk images by extension, with the MIME type the database gives
// them: the answer when the database is missing (XDG_DATA_DIRS can hide it) or does not
// know the extension (shell installers, Flatpak references).
struct KnownExtension {
    std::string_view extension;
    std::string_view kind;
    std::string_view contentType;
};
constexpr KnownExtension kKnownExtensions[] = {
    {"deb", kKindInstallerPackage, "application/vnd.debian.binary-package"},
    {"rpm", kKindInstallerPackage, "application/x-rpm"},
    {"msi", kKindInstallerPackage, "application/x-msi"},
    {"flatpak", kKindInstallerPackage, "application/vnd.flatpak"},
    {"flatpakref", kKindInstallerPackage, "application/vnd.flatpak.ref"},
    {"snap", kKindInstallerPackage, "application/vnd.snap"},
    {"run", kKindInstallerPackage, "application/x-makeself"},
    {"dmg", kKindDiskImage, "application/x-apple-diskimage"},
    {"iso", kKindDiskImage, "application/x-cd-image"},
    {"img", kKindDiskImage, "application/x-raw-disk-image"},
};

bool isDiskImageType(const QMimeType& type) {
    return type.inherits(QStringLiteral("application/x-apple-diskimage")) ||
           type.inherits(QStringLiteral("application/x-raw-disk-image"));
}

bool isInstallerType(const QMimeType& type) {
    static const QStringList installers = {
        QStringLiteral("application/vnd.debian.binary-package"),
        QStringLiteral("application/x-rpm"),
        QStringLiteral("application/x-msi"),
        QStringLiteral("application/vnd.flatpak"),
        QStringLiteral("application/vnd.snap"),
        QStringLiteral("application/vnd.flatpak.ref"),
        QStringLiteral("application/x-makeself"),
    };
    return std::any_of(installers.begin(), installers.end(),
                       [&](const QString& name) { return type.inherits(name); });
}

bool isImageName(std::string_view name) {
    return extensionIsOneOf(name,
                            {"png", "jpg", "jpeg", "webp", "heic", "tif", "tiff", "bmp", "gif"});
}

bool readFully(int fd, char* buffer, size_t length) {
    while (length > 0) {
        const ssize_t n = ::read(fd, buffer, length);
        if (n <= 0) return false;
        buffer += n;
        length -= size_t(n);
    }
    return true;
}

// Opens without updating the access time when we own the file; the index must not make
// every file look used.
int openQuietly(int dirFd, const char* name, int flags) {
    const int base = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | flags;
    int fd = openat(dirFd, name, base | O_NOATIME);
    if (fd < 0 && errno == EPERM) fd = openat(dirFd, name, base);
    return fd;
}

bool textNamesScreenshotTool(QByteArray value) {
    static const std::array<const char*, 10> tools = {
        "gnome-screenshot",    "gnome shell", "gnome-shell", "spectacle", "flameshot", "ksnip",
        "xfce4-screenshooter", "shutter",     "grim",        "scrot"};
    value = value.toLower();
    if (value.contains("screenshot")) return true;
    return std::any_of(tools.begin(), tools.end(),
                       [&](const char* t) { return value.contains(t); });
}

// A tEXt chunk is "keyword NUL text"; an iTXt chunk is "keyword NUL flag method language NUL
// translated NUL text". Compressed iTXt text is not examined.
bool chunkMarksScreenshot(const QByteArray& type, const QByteArray& data) {
    const qsizetype nul = data.indexOf('\0');
    if (nul < 0) return false;
    const QByteArray keyword = data.left(nul);
    QByteArray text;
    if (type == "tEXt") {
        text = data.mid(nul + 1);
    } else {
        if (data.size() < nul + 3 || data[nul + 1] != 0) return false;
        const qsizetype language = data.indexOf('\0', nul + 3);
        const qsizetype translated = language < 0 ? -1 : data.indexOf('\0', language + 1);
        if (translated < 0) return false;
        text = data.mid(translated + 1);
    }
    if (keyword == "Software") return textNamesScreenshotTool(text);
    if (keyword == "XML:com.adobe.xmp") return text.contains("UserComment>Screenshot<");
    return false;
}

int64_t nanoseconds(const struct timespec& t) {
    return int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

FileStamp stampOf(const struct stat& st) {
    return FileStamp{int64_t(st.st_size), nanoseconds(st.st_mtim), nanoseconds(st.st_ctim),
                     nanoseconds(st.st_atim)};
}

// The latest access time of the regular files in Contents/MacOS; 0 when there is none.
int64_t latestExecutableAccess(int contentsFd) {
    const int macos = openat(contentsFd, "MacOS", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (macos < 0) return 0;
    DIR* dir = fdopendir(macos);
    if (!dir) {
        ::close(macos);
        return 0;
    }
    int64_t latest = 0;
    while (const dirent* entry = readdir(dir)) {
        struct stat st;
        if (fstatat(macos, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
            latest = std::max(latest, nanoseconds(st.st_atim));
        }
    }
    closedir(dir);
    return latest;
}

}  // namespace

const std::vector<AttributeInfo>& allAttributes() {
    static const std::vector<AttributeInfo> list = {
        {Attribute::FSSize, "kMDItemFSSize", AttributeType::Number},
        {Attribute::Kind, "kMDItemKind", AttributeType::Text},
        {Attribute::IsScreenCapture, "kMDItemIsScreenCapture", AttributeType::Boolean},
        {Attribute::DisplayName, "kMDItemDisplayName", AttributeType::Text},
        {Attribute::ContentType, "kMDItemContentType", AttributeType::Text},
        {Attribute::UsedDates, "kMDItemUsedDates", AttributeType::Date},
        {Attribute::LastUsedDate, "kMDItemLastUsedDate", AttributeType::Date},
        {Attribute::BundleIdentifier, "kMDItemCFBundleIdentifier", AttributeType::Text},
    };
    return list;
}

std::optional<AttributeInfo> attributeNamed(std::string_view name) {
    for (const AttributeInfo& info : allAttributes()) {
        if (info.name == name) return info;
    }
    return std::nullopt;
}

const KindResolver::KindInfo& KindResolver::kindOf(std::string_view name, ItemType type,
                                                   bool appBundle) {
    if (appBundle) {
        if (application_.kind.empty()) {
            application_ = {std::string(kKindApplication),
                            std::string(kContentTypeApplicationBundle)};
        }
        return application_;
    }
    if (type == ItemType::Folder) {
        if (folder_.kind.empty()) folder_ = {std::string(kKindFolder), "public.folder"};
        return folder_;
    }
    auto& memo = type == ItemType::Package ? byPackageSuffix_ : byFileSuffix_;
    std::string key = suffixKey(name);
    auto it = memo.find(key);
    if (it == memo.end()) it = memo.emplace(key, resolve("x" + key, type)).first;
    return it->second;
}

KindResolver::KindInfo KindResolver::resolve(std::string_view name, ItemType type) {
    if (isInstallerName(name)) {
        return {std::string(kKindInstallerPackage), "com.apple.installer-package-archive"};
    }
    if (isDiskImageName(name)) return {std::string(kKindDiskImage), "com.apple.disk-image"};
    const QMimeType mime = database_.mimeTypeForFile(
        QString::fromUtf8(name.data(), qsizetype(name.size())), QMimeDatabase::MatchExtension);
    const std::string mimeName = mime.name().toStdString();
    if (isDiskImageType(mime)) return {std::string(kKindDiskImage), mimeName};
    if (isInstallerType(mime)) return {std::string(kKindInstallerPackage), mimeName};
    if (type != ItemType::Package) {
        if (const auto known = kindFromExtension(name)) return *known;
    }
    if (mimeName == kOctetStream) {
        if (type == ItemType::Package) return {"Package", "com.apple.package"};
        return {"Document", mimeName};
    }
    return {mime.comment().toStdString(), mimeName};
}

std::optional<KindResolver::KindInfo> kindFromExtension(std::string_view name) {
    const std::string_view extension = extensionOf(name);
    for (const KnownExtension& known : kKnownExtensions) {
        if (equalsIgnoringCase(extension, known.extension)) {
            return KindResolver::KindInfo{std::string(known.kind), std::string(known.contentType)};
        }
    }
    return std::nullopt;
}

bool isScreenshotName(std::string_view name) {
    if (!isImageName(name)) return false;
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(?:Screenshot|Screen Shot) \\d{4}-\\d{2}-\\d{2} at "
                       "|Screenshot from \\d{4}-\\d{2}-\\d{2} \\d{2}-\\d{2}-\\d{2}"
                       "|Screenshot_\\d{8}[_-]\\d{6}"
                       "|Screenshot_\\d{4}-\\d{2}-\\d{2}_\\d{2}-\\d{2}-\\d{2}"
                       "|Screenshot \\d{4}-\\d{2}-\\d{2} \\d{6}"
                       "|\\d{4}-\\d{2}-\\d{2}-\\d{6}_\\d+x\\d+_scrot"
                       "|\\d{8}_\\d{2}h\\d{2}m\\d{2}s_grim)"),
        QRegularExpression::CaseInsensitiveOption);
    return pattern.match(QString::fromUtf8(name.data(), qsizetype(name.size()))).hasMatch();
}

bool mayHoldScreenshotText(std::string_view name, int64_t size) {
    // Smaller PNG files hold no text chunk: the signature, the header chunk and an empty
    // text chunk alone take this many bytes.
    constexpr int64_t kSmallestPngWithText = 8 + 25 + 12;
    return size >= kSmallestPngWithText && extensionIsOneOf(name, {"png"});
}

// Walks the chunks up to the image data; text chunks written by screenshot tools come
// before it. Qt's PNG reader lives in QtGui, which this tool does not link, and only the
// chunk headers are needed here.
bool pngHasScreenshotText(int dirFd, const char* name) {
    constexpr int kMaxChunks = 64;
    constexpr quint32 kMaxTextChunk = 1 << 20;
    const int fd = openQuietly(dirFd, name, 0);
    if (fd < 0) return false;
    bool found = false;
    char header[8];
    if (readFully(fd, header, 8) && QByteArray(header, 8) == QByteArray("\x89PNG\r\n\x1a\n", 8)) {
        for (int i = 0; i < kMaxChunks && !found && readFully(fd, header, 8); ++i) {
            const quint32 length = (quint32(quint8(header[0])) << 24) |
                                   (quint32(quint8(header[1])) << 16) |
                                   (quint32(quint8(header[2])) << 8) | quint32(quint8(header[3]));
            const QByteArray type(header + 4, 4);
            if (type == "IDAT" || type == "IEND") break;
            if ((type == "tEXt" || type == "iTXt") && length <= kMaxTextChunk) {
                QByteArray data(qsizetype(length), '\0');
                if (!readFully(fd, data.data(), length)) break;
                found = chunkMarksScreenshot(type, data);
                if (lseek(fd, 4, SEEK_CUR) < 0) break;
            } else if (lseek(fd, off_t(length) + 4, SEEK_CUR) < 0) {
                break;
            }
        }
    }
    ::close(fd);
    return found;
}

bool isAppBundleName(std::string_view name) {
    return extensionIsOneOf(name, {"app"});
}

std::optional<AppBundleFacts> examineAppBundle(int bundleFd) {
    const int contents =
        openat(bundleFd, "Contents", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (contents < 0) return std::nullopt;
    struct stat st;
    std::optional<AppBundleFacts> facts;
    if (fstatat(contents, "Info.plist", &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
        facts = AppBundleFacts{stampOf(st), 0};
        const int64_t executable = latestExecutableAccess(contents);
        facts->usedAt = executable > 0 ? executable : facts->infoPlist.atime;
    }
    ::close(contents);
    return facts;
}

std::optional<std::string> readBundleIdentifier(int bundleFd) {
    const int contents =
        openat(bundleFd, "Contents", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (contents < 0) return std::nullopt;
    const int fd = openQuietly(contents, "Info.plist", 0);
    ::close(contents);
    if (fd < 0) return std::nullopt;
    struct stat st;
    QByteArray data;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        st.st_size <= platform::kMaxPropertyListFileBytes) {
        data.resize(qsizetype(st.st_size));
        if (!readFully(fd, data.data(), size_t(st.st_size))) data.clear();
    }
    ::close(fd);
    const auto dictionary = platform::propertyListDictionary(data);
    if (!dictionary) return std::nullopt;
    const QVariant identifier = dictionary->value(QStringLiteral("CFBundleIdentifier"));
    if (identifier.typeId() != QMetaType::QString) return std::nullopt;
    return identifier.toString().toStdString();
}

}  // namespace mdsearch
