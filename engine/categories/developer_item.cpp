#include "engine/categories/developer_item.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QVersionNumber>
#include <algorithm>

#include "engine/categories/build_outputs.h"
#include "engine/categories/git_checkouts.h"
#include "engine/categories/linux_home_places.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"

namespace {

enum class Base { Home, CacheHome, DataHome };

struct ToolCache {
    const char* tool;
    Base base;
    const char* relative;
};

// Where each tool keeps what it downloads or builds again when it is missing.
constexpr ToolCache kToolCaches[] = {
    {"Gradle", Base::Home, ".gradle/caches"},
    {"Maven", Base::Home, ".m2/repository"},
    {"npm", Base::Home, ".npm/_cacache"},
    {"npm", Base::Home, ".npm/_logs"},
    {"Yarn", Base::CacheHome, "yarn"},
    {"Yarn", Base::Home, ".yarn/berry/cache"},
    {"pnpm", Base::DataHome, "pnpm/store"},
    {"pnpm", Base::CacheHome, "pnpm"},
    {"pip", Base::CacheHome, "pip"},
    {"Cargo", Base::Home, ".cargo/registry/cache"},
    {"Cargo", Base::Home, ".cargo/registry/src"},
    {"Cargo", Base::Home, ".cargo/git/checkouts"},
    {"Go", Base::CacheHome, "go-build"},
    {"Go", Base::Home, "go/pkg/mod"},
    {"ccache", Base::CacheHome, "ccache"},
    {"ccache", Base::Home, ".ccache"},
    {"sccache", Base::CacheHome, "sccache"},
};
// Offline builds resolve their dependencies from Maven's repository alone, and some of
// what it holds was installed there by hand (mvn install) and cannot be fetched again.
const QString kMavenTool = QStringLiteral("Maven");
const QString kGradleTool = QStringLiteral("Gradle");
const QString kJetBrainsTool = QStringLiteral("JetBrains");
// An IDE's installation names the folders it keeps its caches, settings and logs in.
const QString kProductInfo = QStringLiteral("product-info.json");
constexpr int kToolboxDepth = 5;
constexpr qint64 kMaxProductInfoBytes = 1024 * 1024;

QString folderIn(Base base, const QString& relative) {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const xdg::BaseDirectories dirs = disk.baseDirectories();
    switch (base) {
        case Base::Home:
            return disk.homeDirectoryPathWithComponent(relative);
        case Base::CacheHome:
            return platform::appendPathComponent(dirs.cacheHome, relative);
        case Base::DataHome:
            return platform::appendPathComponent(dirs.dataHome, relative);
    }
    return QString();
}

// A real folder (a link could lead anywhere) on the home's own mount.
bool isOwnFolder(const QString& path) {
    return platform::itemKind(path) == platform::ItemKind::Directory &&
           linux_home::onSameDevice(path, QSDiskUtilities::sharedInstance().homeDirectoryPath());
}

std::vector<platform::DirectoryEntry> entriesOf(const QString& folder) {
    std::vector<platform::DirectoryEntry> entries;
    platform::listDirectory(folder, &entries);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

QSScannedFilePtr groupOf(const QString& name, const QList<QSScannedFilePtr>& members) {
    auto group = std::make_shared<QSScannedFile>();
    group->setFileName(name);
    group->setFiles(members);
    QDateTime newest;
    for (const auto& member : members)
        newest = std::max(newest, member->modificationDate());
    group->setModificationDate(newest);
    // A group is removed as a whole: it is ticked only when all of it may go.
    const bool ticked = std::all_of(members.begin(), members.end(),
                                    [](const auto& member) { return member->selected(); });
    group->setSelected(ticked);
    group->setHasSelectedOverride(!ticked);
    return group;
}

// Adds the entry to the group of that name, made in order of first use.
void addToGroup(QList<std::pair<QString, QList<QSScannedFilePtr>>>* groups, const QString& name,
                const QSScannedFilePtr& entry) {
    if (!entry) return;
    for (auto& [group, members] : *groups) {
        if (group == name) {
            members.append(entry);
            return;
        }
    }
    groups->append({name, {entry}});
}

// "gradle-8.5-bin" -> 8.5; null for a name the wrapper does not give.
QVersionNumber gradleVersion(const QString& distribution) {
    static const QRegularExpression name(QStringLiteral("^gradle-(.+)-(bin|all)$"));
    const auto match = name.match(distribution);
    return match.hasMatch() ? QVersionNumber::fromString(match.captured(1)) : QVersionNumber();
}

QString productInfoDataDirectory(const QString& path) {
    const auto content = platform::readFileContents(path, kMaxProductInfoBytes);
    if (!content) return QString();
    return QJsonDocument::fromJson(*content)
        .object()
        .value(QStringLiteral("dataDirectoryName"))
        .toString();
}

// The folder names of the IDEs installed in the folder and below it (the Toolbox keeps
// them a few folders down), without entering an installation.
void addInstalledIdes(const QString& folder, int depth, QStringList* installed) {
    const QString info = platform::appendPathComponent(folder, kProductInfo);
    if (platform::itemKind(info) == platform::ItemKind::Other) {
        const QString name = productInfoDataDirectory(info);
        if (!name.isEmpty()) installed->append(name);
        return;
    }
    if (depth == 0) return;
    for (const auto& entry : entriesOf(folder)) {
        if (entry.isDirectory) addInstalledIdes(entry.path, depth - 1, installed);
    }
}

QStringList installedIdes() {
    QStringList installed;
    addInstalledIdes(folderIn(Base::DataHome, QStringLiteral("JetBrains")), kToolboxDepth,
                     &installed);
    addInstalledIdes(QStringLiteral("/opt"), 1, &installed);
    return installed;
}

}  // namespace

QString QSDeveloperItem::path() const {
    return QSDiskUtilities::sharedInstance().homeDirectoryPath();
}

QStringList QSDeveloperItem::paths() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    const xdg::BaseDirectories dirs = disk.baseDirectories();
    return linux_home::existingFolders({disk.homeDirectoryPath(), dirs.cacheHome, dirs.dataHome});
}

QSScanResultPtr QSDeveloperItem::actuallyScan() {
    if (!platformGateOpen()) return gatedResult();
    const SpotlightListing archives = findPartialFiles();
    // The derived data alone would pass for everything the category found.
    if (archives.failure) return failedResult(resultWithDetails({}), *archives.failure);
    QList<QSScannedFilePtr> details = scannedFilesForSpotlightPaths(archives.paths, false);
    details += findDerivedDataFiles();
    details += findToolCaches();
    details += findBuildOutputs();
    return resultWithDetails(details);
}

SpotlightListing QSDeveloperItem::findPartialFiles() {
    return spotlightListing(path(), {kQuery});
}

QList<QSScannedFilePtr> QSDeveloperItem::findDerivedDataFiles() {
    const QString folder = QSDiskUtilities::sharedInstance().derivedDataPath();
    if (folder.isNull()) return {};
    return enumerateDirectoryWithPath(folder);
}

QList<QSScannedFilePtr> QSDeveloperItem::findToolCaches() {
    QSGitCheckouts checkouts(path());
    QList<std::pair<QString, QList<QSScannedFilePtr>>> groups;
    for (const ToolCache& cache : kToolCaches) {
        const QString folder = folderIn(cache.base, QString::fromLatin1(cache.relative));
        const QString tool = QString::fromLatin1(cache.tool);
        if (!isOwnFolder(folder) || !checkouts.tracksNothingIn(folder)) continue;
        addToGroup(&groups, tool,
                   linuxEntry(folder, linux_home::pathRelativeToHome(folder), tool != kMavenTool));
    }
    for (const auto& [tool, entries] : {std::pair{kGradleTool, gradleLeftovers()},
                                        std::pair{kJetBrainsTool, jetBrainsCaches()}}) {
        for (const auto& entry : entries) {
            if (checkouts.tracksNothingIn(entry->path())) addToGroup(&groups, tool, entry);
        }
    }
    QList<QSScannedFilePtr> files;
    for (const auto& [tool, members] : groups)
        files.append(groupOf(tool, members));
    return files;
}

// Wrapper distributions older than the newest one (each project names the version it
// builds with, and the wrapper downloads it again when it is missing), and the daemons'
// logs. The daemons' registry beside the logs is theirs while they run.
QList<QSScannedFilePtr> QSDeveloperItem::gradleLeftovers() {
    QList<QSScannedFilePtr> files;
    const QString dists = folderIn(Base::Home, QStringLiteral(".gradle/wrapper/dists"));
    const auto distributions = entriesOf(dists);
    QVersionNumber newest;
    for (const auto& entry : distributions)
        newest = std::max(newest, gradleVersion(entry.name));
    for (const auto& entry : distributions) {
        const QVersionNumber version = gradleVersion(entry.name);
        if (!version.isNull() && version < newest && isOwnFolder(entry.path))
            files.append(linuxEntry(entry.path, linux_home::pathRelativeToHome(entry.path)));
    }
    for (const auto& daemon : entriesOf(folderIn(Base::Home, QStringLiteral(".gradle/daemon")))) {
        if (!daemon.isDirectory) continue;
        for (const auto& log : entriesOf(daemon.path)) {
            if (!log.isDirectory && log.name.endsWith(QStringLiteral(".out.log")) &&
                platform::itemKind(log.path) == platform::ItemKind::Other) {
                files.append(linuxEntry(log.path, linux_home::pathRelativeToHome(log.path)));
            }
        }
    }
    files.removeAll(nullptr);
    return files;
}

// The caches of IDE versions that are no longer installed and that a newer version of the
// same IDE replaced: an IDE found nowhere may still be installed where nothing tells.
QList<QSScannedFilePtr> QSDeveloperItem::jetBrainsCaches() {
    static const QRegularExpression versioned(QStringLiteral("^(.+?)(\\d{4}\\.\\d+)$"));
    const auto caches = entriesOf(folderIn(Base::CacheHome, QStringLiteral("JetBrains")));
    QHash<QString, QVersionNumber> newest;
    for (const auto& entry : caches) {
        const auto match = versioned.match(entry.name);
        if (!match.hasMatch()) continue;
        QVersionNumber& known = newest[match.captured(1)];
        known = std::max(known, QVersionNumber::fromString(match.captured(2)));
    }
    QList<QSScannedFilePtr> files;
    const QStringList installed = installedIdes();
    for (const auto& entry : caches) {
        const auto match = versioned.match(entry.name);
        if (!match.hasMatch() || installed.contains(entry.name) || !isOwnFolder(entry.path) ||
            QVersionNumber::fromString(match.captured(2)) >= newest.value(match.captured(1))) {
            continue;
        }
        if (auto file = linuxEntry(entry.path, linux_home::pathRelativeToHome(entry.path)))
            files.append(file);
    }
    return files;
}

QList<QSScannedFilePtr> QSDeveloperItem::findBuildOutputs() {
    QStringList toolCaches;
    for (const ToolCache& cache : kToolCaches)
        toolCaches.append(folderIn(cache.base, QString::fromLatin1(cache.relative)));
    QSGitCheckouts checkouts(path());
    QList<std::pair<QString, QList<QSScannedFilePtr>>> projects;
    for (const auto& output : build_outputs::findOutputs(path(), toolCaches)) {
        // Inside a checkout only what it does not track: never the project's own files.
        if (!checkouts.tracksNothingIn(output.path)) continue;
        const QString name = output.path.mid(output.project.size() + 1);
        addToGroup(&projects, linux_home::pathRelativeToHome(output.project),
                   linuxEntry(output.path, name));
    }
    QList<QSScannedFilePtr> files;
    for (const auto& [project, members] : projects)
        files.append(groupOf(project, members));
    return files;
}

QSScannedFilePtr QSDeveloperItem::linuxEntry(const QString& path, const QString& name,
                                             bool ticked) {
    QSScannedFilePtr file = linux_home::namedEntry(
        path, name,
        [this](const QString& p, const QVariantMap& a) { return scannedFileWithPath(p, a); });
    if (!file) return nullptr;
    file->setSelected(ticked);
    file->setHasSelectedOverride(!ticked);
    return file;
}
