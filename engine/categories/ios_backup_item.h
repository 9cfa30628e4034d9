#pragma once

#include <optional>

#include "engine/scan_model.h"

// The device backups in the MobileSync backup folder, each shown under the device's name
// with an icon of its model. Backups start deselected.
class QSIOSBackupItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSIOSBackupItem>(); }

    QString title() const override { return QStringLiteral("iOS Backups"); }
    QString key() const override { return QStringLiteral("ios-backups"); }
    QString path() const override;
    bool hasDetails() const override { return true; }
    bool selectedByDefault() const override { return false; }

    // A backup entry named by its Info.plist; null when the folder holds no readable
    // Info.plist whose top level is a dictionary.
    QSScannedFilePtr scannedFileWithPath(const QString& path,
                                         const QVariantMap& attributes) override;
    // The property list at the path, in any format; nothing when it cannot be read or
    // parsed, or its top level is not a dictionary.
    static std::optional<QVariantMap> dictionaryWithPath(const QString& path);
};
