#include "engine/categories/git_checkouts.h"

#include <QtEndian>
#include <algorithm>

#include "engine/categories/spotlight_search.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace {

constexpr int kSha1Size = 20;
constexpr int kSha256Size = 32;
// Larger indexes than this belong to repositories of millions of files; a checkout whose
// index is not read has nothing listed in it.
constexpr qint64 kMaxIndexBytes = 512 * 1024 * 1024;
constexpr qint64 kMaxSmallFileBytes = 64 * 1024;
// ctime, mtime, dev, ino, mode, uid, gid and size of each entry.
constexpr qsizetype kStatDataSize = 40;
constexpr quint16 kExtendedFlag = 0x4000;

QString in(const QString& folder, const char* component) {
    return platform::appendPathComponent(folder, QLatin1String(component));
}

// Git's offset encoding of the number of bytes an entry drops from the previous path.
std::optional<quint64> readOffset(const QByteArray& data, qsizetype* at) {
    if (*at >= data.size()) return std::nullopt;
    auto byte = quint8(data[(*at)++]);
    quint64 value = byte & 0x7f;
    while (byte & 0x80) {
        if (*at >= data.size() || value > (quint64(1) << 48)) return std::nullopt;
        byte = quint8(data[(*at)++]);
        value = ((value + 1) << 7) | (byte & 0x7f);
    }
    return value;
}

// The folder git keeps the checkout's data in: ".git" itself, or where the ".git" file of
// a linked worktree or submodule points. Null for anything else (a link is not followed).
QString gitDirectory(const QString& checkout) {
    const QString dotGit = in(checkout, ".git");
    const platform::ItemKind kind = platform::itemKind(dotGit);
    if (kind == platform::ItemKind::Directory) return dotGit;
    if (kind != platform::ItemKind::Other) return QString();
    const auto content = platform::readFileContents(dotGit, kMaxSmallFileBytes);
    if (!content || !content->startsWith("gitdir:")) return QString();
    const QString target = platform::decodePath(content->mid(7).trimmed());
    return target.startsWith(u'/')
               ? target
               : platform::standardizePath(platform::appendPathComponent(checkout, target));
}

int hashSizeOf(const QString& gitDir) {
    QString configFolder = gitDir;
    // A linked worktree shares the configuration of the repository it belongs to.
    if (const auto common =
            platform::readFileContents(in(gitDir, "commondir"), kMaxSmallFileBytes)) {
        const QString path = platform::decodePath(common->trimmed());
        configFolder = path.startsWith(u'/')
                           ? path
                           : platform::standardizePath(platform::appendPathComponent(gitDir, path));
    }
    const auto config = platform::readFileContents(in(configFolder, "config"), kMaxSmallFileBytes);
    const QByteArray lower = config ? config->toLower() : QByteArray();
    return lower.contains("objectformat") && lower.contains("sha256") ? kSha256Size : kSha1Size;
}

}  // namespace

QSGitCheckouts::QSGitCheckouts(const QString& top) : top_(top) {}

bool QSGitCheckouts::tracksNothingIn(const QString& folder) {
    const QString checkout = enclosingCheckout(platform::deletingLastPathComponent(folder));
    if (checkout.isNull()) return true;
    const auto& tracked = trackedPaths(checkout);
    if (!tracked) return false;
    const QByteArray relative =
        platform::encodePath(folder).mid(platform::encodePath(checkout).size() + 1);
    const QByteArray inside = relative + '/';
    const auto next = std::lower_bound(tracked->begin(), tracked->end(), relative);
    if (next != tracked->end() && *next == relative) return false;
    const auto first = std::lower_bound(tracked->begin(), tracked->end(), inside);
    return first == tracked->end() || !first->startsWith(inside);
}

QString QSGitCheckouts::enclosingCheckout(const QString& folder) {
    for (QString at = folder; at == top_ || pathIsInsideFolder(at, top_);
         at = platform::deletingLastPathComponent(at)) {
        auto known = holdsGit_.find(at);
        if (known == holdsGit_.end()) {
            known = holdsGit_.insert(
                at, platform::itemKind(in(at, ".git")) != platform::ItemKind::Missing);
        }
        if (*known) return at;
        if (at == top_) break;
    }
    return QString();
}

const std::optional<std::vector<QByteArray>>& QSGitCheckouts::trackedPaths(
    const QString& checkout) {
    auto known = tracked_.find(checkout);
    if (known != tracked_.end()) return *known;
    std::optional<std::vector<QByteArray>> paths;
    const QString gitDir = gitDirectory(checkout);
    const QString index = gitDir.isNull() ? QString() : in(gitDir, "index");
    if (!gitDir.isNull() && !platform::fileExistsAtPath(index)) {
        // A repository before its first commit tracks nothing yet.
        paths.emplace();
    } else if (!gitDir.isNull()) {
        if (const auto content = platform::readFileContents(index, kMaxIndexBytes))
            paths = indexPaths(*content, hashSizeOf(gitDir));
    }
    return *tracked_.insert(checkout, std::move(paths));
}

std::optional<std::vector<QByteArray>> QSGitCheckouts::indexPaths(const QByteArray& index,
                                                                  int hashSize) {
    if (index.size() < 12 || !index.startsWith("DIRC")) return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(index.constData());
    const quint32 version = qFromBigEndian<quint32>(bytes + 4);
    const quint32 count = qFromBigEndian<quint32>(bytes + 8);
    if (version < 2 || version > 4) return std::nullopt;
    const qsizetype fixed = kStatDataSize + hashSize + 2;
    std::vector<QByteArray> paths;
    QByteArray previous;
    qsizetype at = 12;
    for (quint32 i = 0; i < count; ++i) {
        if (at + fixed > index.size()) return std::nullopt;
        const quint16 flags = qFromBigEndian<quint16>(bytes + at + kStatDataSize + hashSize);
        const qsizetype header = fixed + (version >= 3 && (flags & kExtendedFlag) ? 2 : 0);
        qsizetype nameAt = at + header;
        // Versions 2 and 3 write every path whole.
        std::optional<quint64> dropped = quint64(previous.size());
        if (version == 4) {
            dropped = readOffset(index, &nameAt);
            if (!dropped || *dropped > quint64(previous.size())) return std::nullopt;
        }
        const qsizetype end = index.indexOf('\0', nameAt);
        if (end < 0) return std::nullopt;
        QByteArray path =
            previous.left(previous.size() - qsizetype(*dropped)) + index.mid(nameAt, end - nameAt);
        // Versions 2 and 3 pad each entry with NULs to a multiple of eight bytes.
        at = version == 4 ? end + 1 : at + ((header + (end - nameAt) + 8) & ~qsizetype(7));
        previous = path;
        paths.push_back(std::move(path));
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}
