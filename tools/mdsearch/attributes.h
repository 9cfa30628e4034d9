#pragma once

#include <QMimeDatabase>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The metadata attributes the tool knows, and how each is derived from a file.
namespace mdsearch {

enum class Attribute {
    FSSize,
    Kind,
    IsScreenCapture,
    DisplayName,
    ContentType,
    UsedDates,
    LastUsedDate,
    BundleIdentifier,
};

enum class AttributeType { Number, Text, Boolean, Date };

struct AttributeInfo {
    Attribute attribute;
    std::string_view name;
    AttributeType type;
};

const std::vector<AttributeInfo>& allAttributes();
std::optional<AttributeInfo> attributeNamed(std::string_view name);

inline constexpr std::string_view kKindDiskImage = "Disk Image";
inline constexpr std::string_view kKindInstallerPackage = "Installer package";
inline constexpr std::string_view kKindFolder = "Folder";
inline constexpr std::string_view kKindApplication = "Application";
inline constexpr std::string_view kContentTypeApplicationBundle = "com.apple.application-bundle";

enum class ItemType : unsigned char { File = 1, Folder = 2, Package = 3 };

// Kind and content type come from the name alone: a fixed rule for disk images,
// installer packages, folders and applications, otherwise the MIME database's type for
// the name. Lookups are remembered by the name's suffix (from its first period), so a
// search over many files asks the database once per suffix.
class KindResolver {
public:
    struct KindInfo {
        std::string kind;
        std::string contentType;
    };
    const KindInfo& kindOf(std::string_view name, ItemType type, bool appBundle);

private:
    KindInfo resolve(std::string_view name, ItemType type);

    QMimeDatabase database_;
    std::unordered_map<std::string, KindInfo> byFileSuffix_;
    std::unordered_map<std::string, KindInfo> byPackageSuffix_;
    KindInfo folder_;
    KindInfo application_;
};

// The kind of an installer or disk image known by its extension alone (".deb", ".snap",
// ".run", ".iso", ...); nothing for other names.
std::optional<KindResolver::KindInfo> kindFromExtension(std::string_view name);

// Screen captures, recognised without a desktop search service of their own:
//  - by name: the default file names of common screenshot tools, with an image extension
//    (png, jpg, jpeg, webp, heic, tif, tiff, bmp, gif):
//      "Screenshot 2024-05-01 at 10.11.12.png", "Screen Shot 2020-01-01 at 10.11.12 AM.png"
//        (macOS; a " (2)" style counter may follow)
//      "Screenshot from 2024-05-01 10-11-12.png" (GNOME Shell, GNOME Screenshot)
//      "Screenshot_20240501_101112.png" (KDE Spectacle), "Screenshot_2024-05-01_10-11-12.png"
//        (Xfce), "Screenshot_20240501-101112.png" and "Screenshot_20240501-101112_App.jpg"
//        (Android), "Screenshot 2024-05-01 101112.png" (Windows Snipping Tool),
//      "2024-05-01-101112_1920x1080_scrot.png" (scrot), "20240501_10h11m12s_grim.png" (grim)
//  - by content, for PNG files: a tEXt or iTXt chunk "Software" naming a screenshot tool
//    (gnome-screenshot, GNOME Shell, Spectacle, Flameshot, ksnip, xfce4-screenshooter,
//    Shutter, grim, scrot, or any value containing "screenshot"), or the XMP packet that
//    macOS writes with the user comment "Screenshot".
bool isScreenshotName(std::string_view name);
// Whether a file of this name and size is a PNG file large enough to hold a text chunk,
// so that its content is worth reading.
bool mayHoldScreenshotText(std::string_view name, int64_t size);
// Reads the text chunks of the PNG file `name` in the folder `dirFd`.
bool pngHasScreenshotText(int dirFd, const char* name);

// Size and time stamps (nanoseconds since 1970) of one file.
struct FileStamp {
    int64_t size = 0;
    int64_t mtime = 0;
    int64_t ctime = 0;
    int64_t atime = 0;
    // Whether the content may have changed: access alone changes nothing.
    bool sameContentAs(const FileStamp& o) const {
        return size == o.size && mtime == o.mtime && ctime == o.ctime;
    }
};

// An application bundle: a folder named "*.app" that holds a regular Contents/Info.plist.
bool isAppBundleName(std::string_view name);
struct AppBundleFacts {
    FileStamp infoPlist;
    // When it was last used: the latest access of an executable in Contents/MacOS, else
    // of its Info.plist (the folder's own access time changes whenever it is listed).
    int64_t usedAt = 0;
};
std::optional<AppBundleFacts> examineAppBundle(int bundleFd);

// CFBundleIdentifier of the bundle's Contents/Info.plist, read without touching its
// access time where the system allows.
std::optional<std::string> readBundleIdentifier(int bundleFd);

}  // namespace mdsearch
