#include "engine/categories/ios_device_info_manager.h"

#include <QUrl>
#include <chrono>

#include "base/dispatch.h"
#include "platform/services.h"
#include "platform/type_identifiers.h"

namespace {

const QString kSimulatorBundleIdentifier = QStringLiteral("com.apple.iphonesimulator");
const QString kSimulatorSuffix = QStringLiteral("Simulator");
// The model that is drawn in a colour of its own when no colour is asked for.
const QString kFirstWatchModel = QStringLiteral("Watch1,1");
const QString kFirstWatchColour = QStringLiteral("5");

}  // namespace

QString VRNIconCache::objectForKey(const QString& key) const {
    std::lock_guard lock(mutex_);
    return icons_.value(key);
}

void VRNIconCache::setObject(const QString& icon, const QString& key) {
    std::lock_guard lock(mutex_);
    icons_.insert(key, icon);
}

QString normalizedDeviceIdentifier(const QString& identifier, bool* isSimulator) {
    *isSimulator = identifier.endsWith(kSimulatorSuffix);
    if (!*isSimulator) return identifier;
    QString code = identifier.chopped(kSimulatorSuffix.size());
    if (code.endsWith(u';') || code.endsWith(u' ')) code.chop(1);
    return code;
}

void VRNIOSDeviceInfoManager::SimulatorSearch::run(
    const std::shared_ptr<platform::Workspace>& workspace) {
    const QString url =
        workspace ? workspace->urlForApplicationWithBundleIdentifier(kSimulatorBundleIdentifier)
                  : QString();
    std::lock_guard lock(mutex);
    simulatorURL = url;
    done = true;
    finished.notify_all();
}

// The search holds only its own state and the workspace it was given, so it may outlive
// the instance that started it.
VRNIOSDeviceInfoManager::VRNIOSDeviceInfoManager()
    : search_(std::make_shared<SimulatorSearch>()), iconCache_(std::make_shared<VRNIconCache>()) {
    auto queue =
        dispatch::SerialQueue::create(dispatch::queueLabel(QStringLiteral("find-simulator")));
    queue->async(
        [search = search_, workspace = platform::services().workspace] { search->run(workspace); });
}

void VRNIOSDeviceInfoManager::findIOSSimulator() {
    search_->run(platform::services().workspace);
}

void VRNIOSDeviceInfoManager::waitToFindSimulator() {
    std::unique_lock lock(search_->mutex);
    search_->finished.wait_for(lock, std::chrono::seconds(1), [this] { return search_->done; });
}

QString VRNIOSDeviceInfoManager::iconForSimulator() {
    waitToFindSimulator();
    QString url;
    {
        std::lock_guard lock(search_->mutex);
        url = search_->simulatorURL;
    }
    const auto workspace = platform::services().workspace;
    if (!url.isEmpty() && workspace) {
        const QString icon = workspace->iconForFile(url);
        if (!icon.isEmpty()) return icon;
    }
    return platform::iconForFileTypeCode(QStringLiteral("APPL"));
}

bool VRNIOSDeviceInfoManager::identifierIsUnspecificSimulator(const QString& identifier) {
    return identifier == QStringLiteral("x86_64") || identifier == QStringLiteral("i386") ||
           identifier == kSimulatorSuffix;
}

QString VRNIOSDeviceInfoManager::iconForDevice(const QString& identifier, const QString& color) {
    if (identifier.isNull()) return QString();
    QString colour = color.isEmpty() ? QString() : color;
    bool simulator = false;
    const QString device = normalizedDeviceIdentifier(identifier, &simulator);
    if (colour.isNull() && device == kFirstWatchModel) colour = kFirstWatchColour;
    const QString key = QStringLiteral("%1:%2").arg(
        identifier, colour.isNull() ? QStringLiteral("(null)") : colour);
    if (QString cached = iconCache_->objectForKey(key); !cached.isEmpty()) return cached;
    QString icon;
    if (identifierIsUnspecificSimulator(device)) {
        icon = iconForSimulator();
    } else {
        icon = lookupIconForDevice(device, colour);
        if (simulator) icon = badgeIconWithSimulatorIcon(icon);
    }
    if (!icon.isEmpty()) iconCache_->setObject(icon, key);
    return icon;
}

QString VRNIOSDeviceInfoManager::lookupIconForDevice(const QString& identifier,
                                                     const QString& color) {
    const QString type = selectUTIForDevice(identifier, color);
    if (type.isNull()) return QString();
    return platform::iconForTypeIdentifier(type);
}

QString VRNIOSDeviceInfoManager::selectUTIForDevice(const QString& identifier,
                                                    const QString& color) {
    if (!color.isEmpty()) {
        const QString suffix = u'-' + (color.startsWith(u'#') ? color.mid(1) : color);
        QString match;
        const QStringList types = platform::typeIdentifiersForTag(
            platform::kDeviceModelCodeTagClass, identifier, platform::kPublicDeviceType);
        for (const QString& type : types) {
            if (type.endsWith(suffix)) match = type;
        }
        if (!match.isNull()) return match;
    }
    const QString preferred =
        platform::preferredTypeIdentifierForTag(platform::kDeviceModelCodeTagClass, identifier);
    // A dynamic identifier means the system does not know the model.
    if (preferred.size() > 4 && preferred.startsWith(QStringLiteral("dyn."))) return QString();
    return preferred;
}

QString VRNIOSDeviceInfoManager::badgeIconWithSimulatorIcon(const QString& icon) {
    if (icon.isEmpty()) return iconForSimulator();
    return badgedIcon(icon, iconForSimulator());
}

QString VRNIOSDeviceInfoManager::badgedIcon(const QString& base, const QString& overlay) {
    return QStringLiteral("badge:?base=") + QString::fromLatin1(QUrl::toPercentEncoding(base)) +
           QStringLiteral("&overlay=") + QString::fromLatin1(QUrl::toPercentEncoding(overlay));
}
