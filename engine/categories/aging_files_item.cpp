#include "engine/categories/aging_files_item.h"

#include "engine/application_identity.h"
#include "engine/categories/linux_applications.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/packages.h"
#include "platform/services.h"

namespace {

const QString kQuery = QStringLiteral(
    "kMDItemUsedDates<=$time.today(-90) && kMDItemContentType=com.apple.application-bundle");
constexpr double kAgeThresholdDays = 90;
constexpr double kSecondsPerDay = 86400;

// The folders the system keeps directly in a user's Library.
const QStringList& standardLibraryFolders() {
    static const QStringList folders = {
        QStringLiteral("Accounts"),
        QStringLiteral("Application Scripts"),
        QStringLiteral("Application Support"),
        QStringLiteral("Assistants"),
        QStringLiteral("Audio"),
        QStringLiteral("Autosave Information"),
        QStringLiteral("Caches"),
        QStringLiteral("Calendars"),
        QStringLiteral("ColorPickers"),
        QStringLiteral("Colors"),
        QStringLiteral("Compositions"),
        QStringLiteral("Containers"),
        QStringLiteral("Cookies"),
        QStringLiteral("Developer"),
        QStringLiteral("Dictionaries"),
        QStringLiteral("Favorites"),
        QStringLiteral("FontCollections"),
        QStringLiteral("Fonts"),
        QStringLiteral("Frameworks"),
        QStringLiteral("Group Containers"),
        QStringLiteral("HTTPStorages"),
        QStringLiteral("Input Methods"),
        QStringLiteral("Internet Plug-Ins"),
        QStringLiteral("Keyboard Layouts"),
        QStringLiteral("Keychains"),
        QStringLiteral("LaunchAgents"),
        QStringLiteral("LaunchDaemons"),
        QStringLiteral("Logs"),
        QStringLiteral("Mail"),
        QStringLiteral("Messages"),
        QStringLiteral("Metadata"),
        QStringLiteral("Mobile Documents"),
        QStringLiteral("Passes"),
        QStringLiteral("PDF Services"),
        QStringLiteral("Photos"),
        QStringLiteral("PreferencePanes"),
        QStringLiteral("Preferences"),
        QStringLiteral("Printers"),
        QStringLiteral("Safari"),
        QStringLiteral("Saved Application State"),
        QStringLiteral("Screen Savers"),
        QStringLiteral("Scripts"),
        QStringLiteral("Services"),
        QStringLiteral("Sharing"),
        QStringLiteral("Shortcuts"),
        QStringLiteral("Sounds"),
        QStringLiteral("Spelling"),
        QStringLiteral("Suggestions"),
        QStringLiteral("SyncedPreferences"),
        QStringLiteral("Voices"),
        QStringLiteral("WebKit"),
        QStringLiteral("Widgets"),
    };
    return folders;
}

// Whether the folder holds an application bundle other than `application`, looking a few
// levels deep (applications are often grouped one or two folders down).
bool holdsOtherApplications(const QString& folder, const QString& application, int depth = 3) {
    std::vector<platform::DirectoryEntry> entries;
    if (depth == 0 || !platform::listDirectory(folder, &entries)) return false;
    for (const auto& entry : entries) {
        if (!entry.isDirectory) continue;
        if (entry.name.endsWith(QStringLiteral(".app"))) {
            if (entry.path != application) return true;
        } else if (!platform::isPackageName(entry.name) &&
                   holdsOtherApplications(entry.path, application, depth - 1)) {
            return true;
        }
    }
    return false;
}

std::optional<QDateTime> lastUsedDate(const QVariantMap& attributes) {
    const QDateTime last = attributes.value(QStringLiteral("kMDItemLastUsedDate")).toDateTime();
    if (last.isValid()) return last;
    const QVariantList used = attributes.value(QStringLiteral("kMDItemUsedDates")).toList();
    if (used.isEmpty() || !used.last().toDateTime().isValid()) return std::nullopt;
    return used.last().toDateTime();
}

// A preference file is the application's when its name is the identifier and a further
// part ("org.fox.plist", "org.fox.helper.plist"), in any letter case. One that only holds
// the identifier inside a longer name ("org.foxtrot.plist", "x.org.fox.plist") belongs to
// another application.
bool isPreferenceFileOf(const QString& path, const QString& bundle) {
    return platform::lastPathComponent(path).startsWith(bundle + u'.', Qt::CaseInsensitive);
}

}  // namespace

QString QSAgingFilesItem::path() const {
    return QSDiskUtilities::sharedInstance().currentVolumePath();
}

QStringList QSAgingFilesItem::ignoredBundles() {
    return {kApplePrefix, kApplicationBundleIdentifier};
}

QStringList QSAgingFilesItem::relatedFileDirectories() {
    return {
        QStringLiteral("~/Library/Application Support/$APPNAME"),
        QStringLiteral("~/Library/Application Support/$BUNDLE"),
        QStringLiteral("~/Library/Containers/$BUNDLE"),
        QStringLiteral("~/Library/Caches/$APPNAME"),
        QStringLiteral("~/Library/Caches/$BUNDLE"),
        QStringLiteral("~/Library/$APPNAME"),
        QStringLiteral("~/Library/Saved Application State/$BUNDLE.savedState"),
        QStringLiteral("~/Library/WebKit/$BUNDLE"),
        QStringLiteral("~/Library/Logs/$APPNAME"),
        QStringLiteral("~/Library/Logs/$BUNDLE"),
        QStringLiteral("~/Library/Logs/DiagnosticReports/$BUNDLE"),
        QStringLiteral("/Applications/$APPNAME"),
    };
}

SpotlightListing QSAgingFilesItem::findLargeFiles() {
    return spotlightListing(path(), {kQuery});
}

QStringList QSAgingFilesItem::filteredPreferenceFilesAtPath(const QString& folder) const {
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::listDirectory(folder, &entries)) return QStringList();
    const QStringList ignoredPrefixes = ignoredBundles();
    QStringList kept;
    for (const auto& entry : entries) {
        const bool ignored =
            std::any_of(ignoredPrefixes.begin(), ignoredPrefixes.end(),
                        [&](const QString& p) { return entry.name.startsWith(p); });
        if (!ignored) kept.append(entry.path);
    }
    return kept;
}

void QSAgingFilesItem::updatePreferenceFiles() {
    auto& disk = QSDiskUtilities::sharedInstance();
    preferenceFiles_ = filteredPreferenceFilesAtPath(
        disk.homeDirectoryPathWithComponent(QStringLiteral("Library/Preferences")));
    syncedPreferenceFiles_ = filteredPreferenceFilesAtPath(
        disk.homeDirectoryPathWithComponent(QStringLiteral("Library/SyncedPreferences")));
}

bool QSAgingFilesItem::isProtectedRelatedPath(const QString& candidate,
                                              const QString& applicationPath,
                                              const QString& applicationsFolder) {
    auto& disk = QSDiskUtilities::sharedInstance();
    const QString path = platform::standardizePath(candidate);
    const QString home = platform::standardizePath(disk.homeDirectoryPath());
    const QString library = platform::appendPathComponent(home, QStringLiteral("Library"));
    if (path == home || path == library || path == u"/") return true;
    const QString parent = platform::deletingLastPathComponent(path);
    const QString name = platform::lastPathComponent(path);
    if (parent == library && standardLibraryFolders().contains(name, Qt::CaseInsensitive))
        return true;
    return parent == applicationsFolder && holdsOtherApplications(path, applicationPath);
}

QList<QSScannedFilePtr> QSAgingFilesItem::findRelatedFilesForAppNamed(const QString& name,
                                                                      const QString& bundle) {
    if (!isUsableBundleIdentifier(bundle)) return {};
    QList<QSScannedFilePtr> related;
    QSet<QString> taken;
    const QString home = QSDiskUtilities::sharedInstance().homeDirectoryPath();
    const auto take = [&](const QString& candidate) {
        if (taken.contains(candidate) ||
            platform::itemKind(candidate) == platform::ItemKind::Missing)
            return;
        if (isProtectedRelatedPath(candidate, currentApplication_)) return;
        related.append(scannedFileWithPath(candidate, QVariantMap()));
        taken.insert(candidate);
    };
    for (QString candidate : relatedFileDirectories()) {
        candidate.replace(u'~', home);
        // The names stand in the last component only: what lies before it is the folder
        // that must hold the related file, whatever the names are.
        const QString folder = platform::deletingLastPathComponent(candidate);
        if (!name.isNull()) candidate.replace(QStringLiteral("$APPNAME"), name);
        candidate.replace(QStringLiteral("$BUNDLE"), bundle);
        const QString path = platform::standardizePath(candidate);
        if (pathIsInsideFolder(path, folder)) take(path);
    }
    for (const QString& preference : preferenceFiles_ + syncedPreferenceFiles_) {
        if (isPreferenceFileOf(preference, bundle)) take(preference);
    }
    return related;
}

QSScannedFilePtr QSAgingFilesItem::applicationEntry(const QString& path, const QDateTime& lastUsed,
                                                    const QVariantMap& attributes,
                                                    const QString& bundle) {
    auto& disk = QSDiskUtilities::sharedInstance();
    const auto makeBundleFile = [&] {
        auto file = std::make_shared<QSScannedFile>();
        file->setPath(path);
        file->setFileName(platform::lastPathComponent(path));
        file->setAttributes(attributes);
        file->setFileSize(disk.fileSizeForPath(path));
        return file;
    };
    QSScannedFilePtr entry = makeBundleFile();
    entry->setLastUsedDate(lastUsed);
    const QString name = platform::lastPathComponent(path).section(u'.', 0, -2);
    currentApplication_ = path;
    const QList<QSScannedFilePtr> related = findRelatedFilesForAppNamed(
        name.isEmpty() ? platform::lastPathComponent(path) : name, bundle);
    if (!related.isEmpty()) entry->setFiles(QList<QSScannedFilePtr>{makeBundleFile()} + related);
    return entry;
}

QSScanResultPtr QSAgingFilesItem::actuallyScan() {
    updatePreferenceFiles();
    if (!platformGateOpen()) return gatedResult();
    const SpotlightListing applications = findLargeFiles();
    if (applications.failure) return failedResult(resultWithDetails({}), *applications.failure);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<QSScannedFilePtr> entries;
    for (const QString& application : applications.paths) {
        QDateTime created, modified;
        if (!platform::itemDates(application, &created, &modified)) continue;
        const auto attributes = platform::services().metadata->attributesOfItem(application);
        if (!attributes) continue;
        const auto lastUsed = lastUsedDate(*attributes);
        const QString bundle =
            attributes->value(QStringLiteral("kMDItemCFBundleIdentifier")).toString();
        if (!lastUsed || bundle.isEmpty() || bundle.startsWith(kApplePrefix)) continue;
        if (double(lastUsed->msecsTo(now)) / 1000.0 / kSecondsPerDay < kAgeThresholdDays) continue;
        if (!fileIsDeletableAtPath(application)) continue;
        const QVariantMap dates{{kNSURLCreationDateKey, created},
                                {kNSURLContentModificationDateKey, modified}};
        entries.append(applicationEntry(application, *lastUsed, dates, bundle));
    }
    const QDateTime threshold = now.addMSecs(-qint64(kAgeThresholdDays * kSecondsPerDay * 1000));
    entries += linux_apps::unusedFlatpakApplications(threshold);
    entries += linux_apps::unusedAppImages(threshold);
    return resultWithDetails(entries);
}
