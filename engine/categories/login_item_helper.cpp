#include "engine/categories/login_item_helper.h"

#include "engine/application_identity.h"
#include "engine/categories/login_item_file.h"
#include "platform/file_path.h"
#include "platform/property_list.h"
#include "platform/services.h"

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
    QStringList paths;
    for (const auto& entry : platform::services().loginItems->snapshot()) {
        if (entry.resolvedPath) paths.append(*entry.resolvedPath);
    }
    std::lock_guard lock(mutex_);
    launchdItems_ = paths;
}

bool QSLoginItemHelper::itemIsEnabled(const QSLoginItemFile& item) const {
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
    return false;
}

QString QSLoginItemHelper::helperBundleIDForPath(const QString& bundlePath) {
    const auto info = platform::propertyListDictionaryAtPath(
        platform::appendPathComponent(bundlePath, QStringLiteral("Contents/Info.plist")));
    if (!info || !info->contains(QStringLiteral("CFBundleIdentifier"))) return QString();
    return info->value(QStringLiteral("CFBundleIdentifier")).toString();
}
