#include "tools/mdsearch/path_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QJsonArray>

#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/packages.h"
#include "platform/unique_fd.h"
#include "tools/mdsearch/attributes.h"

namespace mdsearch {
namespace {

QString jsonDate(int64_t nanoseconds) {
    return QDateTime::fromMSecsSinceEpoch(nanoseconds / 1'000'000, Qt::UTC)
        .toString(Qt::ISODateWithMs);
}

QString decoded(const std::string& bytes) {
    return platform::decodePath(bytes.data(), qsizetype(bytes.size()));
}

platform::UniqueFd openFolder(const std::string& path, int flags) {
    return platform::UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | flags));
}

// Adds what an application bundle tells of itself; false when the folder is not one.
bool addApplicationFacts(const std::string& path, int64_t* usedAt, QJsonObject* attributes) {
    const platform::UniqueFd bundle = openFolder(path, O_NOFOLLOW);
    if (!bundle.valid()) return false;
    const auto facts = examineAppBundle(bundle.get());
    if (!facts) return false;
    *usedAt = facts->usedAt;
    if (const auto identifier = readBundleIdentifier(bundle.get())) {
        attributes->insert(QStringLiteral("kMDItemCFBundleIdentifier"),
                           QString::fromStdString(*identifier));
    }
    return true;
}

bool isScreenCapture(const std::string& folder, const std::string& name, const struct stat& st) {
    if (isScreenshotName(name)) return true;
    if (!mayHoldScreenshotText(name, st.st_size)) return false;
    const platform::UniqueFd dir = openFolder(folder, 0);
    return dir.valid() && pngHasScreenshotText(dir.get(), name.c_str());
}

}  // namespace

std::optional<QJsonObject> attributesOfPath(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return std::nullopt;
    const size_t slash = path.find_last_of('/');
    const std::string name =
        slash == std::string::npos || slash + 1 == path.size() ? path : path.substr(slash + 1);
    const std::string folder =
        slash == std::string::npos ? "." : path.substr(0, std::max<size_t>(slash, 1));
    ItemType type = ItemType::File;
    if (S_ISDIR(st.st_mode)) {
        type = platform::isPackageName(name.c_str()) ? ItemType::Package : ItemType::Folder;
    }

    QJsonObject attributes;
    attributes.insert(QStringLiteral("kMDItemDisplayName"), decoded(name));
    int64_t usedAt = int64_t(st.st_atim.tv_sec) * 1'000'000'000 + st.st_atim.tv_nsec;
    const bool app = type == ItemType::Package && isAppBundleName(name) &&
                     addApplicationFacts(path, &usedAt, &attributes);
    KindResolver kinds;
    const auto& kind = kinds.kindOf(name, type, app);
    attributes.insert(QStringLiteral("kMDItemKind"), QString::fromStdString(kind.kind));
    attributes.insert(QStringLiteral("kMDItemContentType"),
                      QString::fromStdString(kind.contentType));
    if (type == ItemType::File) {
        attributes.insert(QStringLiteral("kMDItemFSSize"), qint64(st.st_size));
    } else if (type == ItemType::Package) {
        attributes.insert(QStringLiteral("kMDItemFSSize"),
                          qint64(platform::sizeOfItem(decoded(path))));
    }
    if (S_ISREG(st.st_mode) && isScreenCapture(folder, name, st)) {
        attributes.insert(QStringLiteral("kMDItemIsScreenCapture"), true);
    }
    attributes.insert(QStringLiteral("kMDItemUsedDates"), QJsonArray{jsonDate(usedAt)});
    attributes.insert(QStringLiteral("kMDItemLastUsedDate"), jsonDate(usedAt));
    return attributes;
}

}  // namespace mdsearch
