#include "engine/categories/ios_backup_item.h"

#include "engine/categories/ios_device_info_manager.h"
#include "engine/disk_utilities.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/property_list.h"

namespace {

const QString kInfoPlist = QStringLiteral("Info.plist");
const QString kDisplayNameKey = QStringLiteral("Display Name");
const QString kProductTypeKey = QStringLiteral("Product Type");

// A value of another type than text counts as missing.
QString stringValue(const QVariantMap& dictionary, const QString& key) {
    const QVariant value = dictionary.value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

}  // namespace

QString QSIOSBackupItem::path() const {
    return QSDiskUtilities::sharedInstance().iOSBackupsPath();
}

QSScannedFilePtr QSIOSBackupItem::scannedFileWithPath(const QString& path,
                                                      const QVariantMap& attributes) {
    const QString infoPath = platform::appendPathComponent(path, kInfoPlist);
    if (!platform::fileExistsAtPath(infoPath)) return nullptr;
    const auto info = dictionaryWithPath(infoPath);
    if (!info) return nullptr;
    const QString icon =
        VRNIOSDeviceInfoManager().iconForDevice(stringValue(*info, kProductTypeKey), QString());
    QSScannedFilePtr file = QSScanItem::scannedFileWithPath(path, attributes);
    file->setFileName(stringValue(*info, kDisplayNameKey));
    file->setIcon(icon);
    return file;
}

std::optional<QVariantMap> QSIOSBackupItem::dictionaryWithPath(const QString& path) {
    return platform::propertyListDictionaryAtPath(path);
}
