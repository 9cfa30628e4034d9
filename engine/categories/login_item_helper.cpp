#include "engine/categories/login_item_helper.h"

#include "engine/application_identity.h"
#include "engine/categories/login_item_file.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/property_list.h"
#include "platform/services.h"
#include "platform/systemd_unit_files.h"

namespace {

const QString kLabel = QStringLiteral("Label");
const QString kPid = QStringLiteral("PID");

// Whether `path` is `entry` or lies inside it: "/bin/tool" holds "/bin/tool/x", not
// "/bin/tool-extra".
bool isAtOrInside(const QString& path, const QString& entry) {
    if (!path.startsWith(entry)) return false;
    return path.size() == entry.size() || entry.endsWith(u'/') || path[entry.size()] == u'/';
}

}  // namespace

QSLoginItemHelper& QSLoginItemHelper::sharedInstance() {
    static QSLoginItemHelper helper;
    return helper;
}

QSLoginItemHelper::QSLoginItemHelper() {
    update();
}

QStringList QSLoginItemHelper::launchdItems() const {
    std::lock_guard lock(mutex_);
    return launchdItems_;
}

QStringList QSLoginItemHelper::unresolvedLaunchdItems() const {
    std::lock_guard lock(mutex_);
    return unresolvedLaunchdItems_;
}

QList<QVariantMap> QSLoginItemHelper::smItems() const {
    std::lock_guard lock(mutex_);
    return smItems_;
}

QStringList QSLoginItemHelper::smBundleIDs() const {
    std::lock_guard lock(mutex_);
    return smBundleIDs_;
}

void QSLoginItemHelper::update() {
    updateSMItems();
    updateLaunchdItems();
}

void QSLoginItemHelper::updateSMItems() {
    QList<QVariantMap> items;
    QStringList labels;
    for (const QVariantMap& job : platform::services().userJobs->allJobDictionaries()) {
        const QString label = job.value(kLabel).toString();
        if (label.startsWith(kApplePrefix) || job.contains(kPid)) continue;
        items.append(job);
        labels.append(label);
    }
    std::lock_guard lock(mutex_);
    smItems_ = items;
    smBundleIDs_ = labels;
}

void QSLoginItemHelper::updateLaunchdItems() {
    QStringList paths, unresolved;
    for (const auto& entry : platform::services().loginItems->snapshot()) {
        if (entry.resolvedPath) {
            paths.append(*entry.resolvedPath);
        } else if (!entry.program.isEmpty()) {
            unresolved.append(entry.program);
        }
    }
    std::lock_guard lock(mutex_);
    launchdItems_ = paths;
    unresolvedLaunchdItems_ = unresolved;
}

bool QSLoginItemHelper::itemIsEnabled(const QSLoginItemFile& item) const {
    if (!item.serviceUnit().isEmpty()) return isServiceEnabled(item.serviceUnit());
    return item.helperBundleID().isEmpty() ? isFileLaunchDEnabled(item) : isFileSMEnabled(item);
}

bool QSLoginItemHelper::isFileSMEnabled(const QSLoginItemFile& item) const {
    return smBundleIDs().contains(item.helperBundleID());
}

bool QSLoginItemHelper::isFileLaunchDEnabled(const QSLoginItemFile& item) const {
    const QString path = item.path();
    for (const QString& entry : launchdItems()) {
        if (isAtOrInside(path, entry) ||
            platform::lastPathComponent(path) == platform::lastPathComponent(entry)) {
            return true;
        }
    }
    // An entry whose program is gone still starts (and fails) at every login.
    return unresolvedLaunchdItems().contains(path);
}

QString QSLoginItemHelper::helperBundleIDForPath(const QString& bundlePath) {
    const auto info = platform::propertyListDictionaryAtPath(
        platform::appendPathComponent(bundlePath, QStringLiteral("Contents/Info.plist")));
    if (!info || !info->contains(QStringLiteral("CFBundleIdentifier"))) return QString();
    return info->value(QStringLiteral("CFBundleIdentifier")).toString();
}

QString QSLoginItemHelper::userUnitFolder() {
    return platform::appendPathComponent(
        QSDiskUtilities::sharedInstance().baseDirectories().configHome,
        QStringLiteral("systemd/user"));
}

QList<QSLoginItemHelper::UserService> QSLoginItemHelper::enabledUserServices() {
    QList<UserService> services;
    QStringList seen;
    for (const auto& link : platform::wantsLinks(userUnitFolder())) {
        if (!link.unit.endsWith(QStringLiteral(".service")) || seen.contains(link.unit) ||
            link.target.isNull() || !platform::fileExistsAtPath(link.target)) {
            continue;
        }
        seen.append(link.unit);
        services.append({link.unit, link.target});
    }
    return services;
}

bool QSLoginItemHelper::isServiceEnabled(const QString& unit) {
    for (const UserService& service : enabledUserServices()) {
        if (service.unit == unit) return true;
    }
    return false;
}
