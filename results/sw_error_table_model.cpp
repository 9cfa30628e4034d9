#include "results/sw_error_table_model.h"

#include <algorithm>

#include "engine/disk_utilities.h"
#include "platform/file_path.h"
#include "platform/services.h"
#include "platform/workspace.h"

namespace {

using platform::Error;

QStringList components(const QString& path) {
    return platform::standardizePath(path).split(u'/', Qt::SkipEmptyParts);
}

// Strictly inside: the trash folder itself is not a file in the trash.
bool liesInside(const QStringList& path, const QString& folder) {
    const QStringList parts = components(folder);
    if (!folder.startsWith(u'/') || path.size() <= parts.size()) return false;
    return std::equal(parts.begin(), parts.end(), path.begin());
}

QStringList trashFolders() {
    auto& disk = QSDiskUtilities::sharedInstance();
    QStringList folders = {platform::appendPathComponent(disk.baseDirectories().dataHome,
                                                         QStringLiteral("Trash/files"))};
    const QString uid = QString::number(disk.uid());
    const auto volumes = platform::services().volumes;
    for (const auto& volume :
         volumes ? volumes->mountedVolumes() : QList<platform::MountedVolume>()) {
        folders << platform::appendPathComponent(volume.path,
                                                 QStringLiteral(".Trash-%1/files").arg(uid))
                << platform::appendPathComponent(volume.path,
                                                 QStringLiteral(".Trash/%1/files").arg(uid));
    }
    return folders;
}

}  // namespace

SWErrorTableModel::SWErrorTableModel(QObject* parent) : QAbstractTableModel(parent) {}

bool SWErrorTableModel::fileHasPermissionsIssues(const QSRemovedFile& record) {
    const auto& error = record.error();
    if (!error) return false;
    switch (error->domain) {
        case Error::Domain::OSStatus:
            return error->code == kAccessDeniedOSStatus;
        case Error::Domain::Cocoa:
            return error->code == Error::kFileWriteNoPermission;
        case Error::Domain::POSIX:
        case Error::Domain::Sweepwell:
            return false;
    }
    return false;
}

QString SWErrorTableModel::errorStringForError(const std::optional<platform::Error>& error) {
    if (!error) return QString::fromLatin1(kUnknownErrorReason);
    const QString description =
        error->underlying ? error->underlying->description : error->description;
    if (error->domain == Error::Domain::OSStatus) {
        if (error->code == Error::kFileNotFoundOSStatus)
            return QString::fromLatin1(kNoLongerExistsReason);
        if (error->code == kAccessDeniedOSStatus)
            return QString::fromLatin1(kPermissionsReasonOSStatus);
    } else if (error->domain == Error::Domain::Cocoa) {
        switch (error->code) {
            case Error::kFileNoSuchFile:
                return QString::fromLatin1(kNoLongerExistsReason);
            case Error::kFileWriteNoPermission:
                return QString::fromLatin1(kPermissionsReason);
            case Error::kFileWriteVolumeReadOnly:
                return QString::fromLatin1(kReadOnlyReason);
        }
    }
    return description.isEmpty() ? QString::fromLatin1(kUnknownErrorReason) : description;
}

QString SWErrorTableModel::buttonTitleForRecord(const QSRemovedFile& record) {
    return QString::fromLatin1(fileHasPermissionsIssues(record) ? kDeleteTitle
                                                                : kShowInFolderTitle);
}

bool SWErrorTableModel::isInUsersTrash(const QString& path) {
    const QStringList parts = components(path);
    const QStringList folders = trashFolders();
    return path.startsWith(u'/') &&
           std::any_of(folders.begin(), folders.end(),
                       [&](const QString& folder) { return liesInside(parts, folder); });
}

void SWErrorTableModel::setResultsArray(const QList<QSRemovedFilePtr>& records) {
    beginResetModel();
    resultsArray_ = records;
    const auto workspace = platform::services().workspace;
    for (const QSRemovedFilePtr& record : resultsArray_) {
        const QSScannedFilePtr& file = record->file();
        if (file && file->icon().isEmpty() && workspace)
            file->setIcon(workspace->iconForFile(file->path()));
    }
    endResetModel();
}

QSRemovedFilePtr SWErrorTableModel::recordAtRow(int row) const {
    return row >= 0 && row < resultsArray_.size() ? resultsArray_.at(row) : nullptr;
}

QSRemovedFilePtr SWErrorTableModel::listedRecord(const void* record) const {
    for (const QSRemovedFilePtr& listed : resultsArray_) {
        if (listed.get() == record) return listed;
    }
    return nullptr;
}

bool SWErrorTableModel::removeRecord(const QSRemovedFilePtr& record) {
    const qsizetype row = resultsArray_.indexOf(record);
    if (row < 0) return false;
    beginRemoveRows(QModelIndex(), int(row), int(row));
    resultsArray_.removeAt(row);
    endRemoveRows();
    return true;
}

void SWErrorTableModel::recordDidChange(const QSRemovedFilePtr& record) {
    const qsizetype row = resultsArray_.indexOf(record);
    if (row < 0) return;
    emit dataChanged(index(int(row), 0), index(int(row), ColumnCount - 1));
}

int SWErrorTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(resultsArray_.size());
}

int SWErrorTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SWErrorTableModel::data(const QModelIndex& index, int role) const {
    const QSRemovedFilePtr record = index.isValid() ? recordAtRow(index.row()) : nullptr;
    if (!record) return QVariant();
    const QString path = record->file() ? record->file()->path() : QString();
    switch (role) {
        case PathRole:
            return path;
        case ReasonRole:
            return errorStringForError(record->error());
        case IconReferenceRole:
            return record->file() ? record->file()->icon() : QString();
        case PermissionsIssueRole:
            return fileHasPermissionsIssues(*record);
    }
    switch (index.column()) {
        case NameColumn:
            if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return path;
            if (role == Qt::AccessibleDescriptionRole || role == Qt::ToolTipRole)
                return errorStringForError(record->error());
            break;
        case ButtonColumn:
            if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
                return buttonTitleForRecord(*record);
            break;
    }
    return QVariant();
}

Qt::ItemFlags SWErrorTableModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
