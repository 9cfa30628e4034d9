#include "engine/categories/trash_item.h"

#include "engine/disk_utilities.h"

QString QSTrashItem::path() const {
    return QSDiskUtilities::sharedInstance().trashPath();
}

QStringList QSTrashItem::paths() const {
    const auto& disk = QSDiskUtilities::sharedInstance();
    QStringList folders;
    const QString trash = disk.trashPath();
    if (!trash.isEmpty())
        folders.append(trash);
    folders.append(disk.libraryPathWithComponent(
        QStringLiteral("/Mobile Documents/com~apple~CloudDocs/.Trash")));
    folders.append(
        disk.libraryPathWithComponent(QStringLiteral("CloudStorage/iCloud Drive/.Trash")));
    return folders;
}
