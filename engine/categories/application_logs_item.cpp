#include "engine/categories/application_logs_item.h"

#include "engine/categories/application_icon.h"
#include "engine/disk_utilities.h"

QString QSApplicationLogsItem::path() const {
    return QSDiskUtilities::sharedInstance().applicationLogsPath();
}

QSScannedFilePtr QSApplicationLogsItem::scannedFileWithPath(const QString& path,
                                                            const QVariantMap& attributes) {
    QSScannedFilePtr file = QSScanItem::scannedFileWithPath(path, attributes);
    file->setIcon(applicationIconForBundleIdentifier(file->fileName()));
    return file;
}
