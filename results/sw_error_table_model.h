#pragma once

#include <QAbstractTableModel>
#include <optional>

#include "engine/scan_model.h"
#include "platform/error.h"

// The files a removal left behind, one row each on the error screen: the file's icon, its
// place with the reason it is still there, and the button that either removes it with
// administrator rights or shows it in the file manager. Rows are removed only as files
// are resolved; the order is the removal's.
class SWErrorTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ImageColumn = 0, NameColumn = 1, ButtonColumn = 2, ColumnCount = 3 };
    enum Role {
        // The file's path as it is now (a watched file follows its moves).
        PathRole = Qt::UserRole + 1,
        // Why the file is still there, in words.
        ReasonRole,
        // The file's icon reference (an image's path or a themed icon name).
        IconReferenceRole,
        // Whether the row's button removes the file with administrator rights.
        PermissionsIssueRole,
    };

    static constexpr char kDeleteTitle[] = "Delete";
    static constexpr char kShowInFolderTitle[] = "Show in Folder";
    static constexpr char kNoLongerExistsReason[] = "The file no longer exists.";
    static constexpr char kPermissionsReasonOSStatus[] =
        "Could not remove this file due to a permissions issue. Click the 'Delete' button to "
        "remove this file";
    static constexpr char kPermissionsReason[] =
        "Could not remove this file due to a permissions issue. Click the Delete button to "
        "remove using Administrative privileges.";
    static constexpr char kReadOnlyReason[] = "The drive is read-only";
    static constexpr char kUnknownErrorReason[] = "Unknown Error";
    // The one permission code of the OSStatus domain.
    static constexpr int kAccessDeniedOSStatus = -5000;

    explicit SWErrorTableModel(QObject* parent = nullptr);

    // Only a refusal of the user's own rights (EACCES, EPERM) is one that administrator
    // rights can overcome: a read-only drive or a busy file stays where it is for root too.
    static bool fileHasPermissionsIssues(const QSRemovedFile& record);
    // The reason in words: the design's texts for the codes it knows, else the underlying
    // error's description (the real cause), else the error's own, else "Unknown Error".
    static QString errorStringForError(const std::optional<platform::Error>& error);
    static QString buttonTitleForRecord(const QSRemovedFile& record);
    // Whether the path lies inside one of the user's trash folders: the home's
    // ($XDG_DATA_HOME/Trash/files) or the one at the top of a mounted volume
    // (.Trash-$UID/files, .Trash/$UID/files). Compared by whole components: a folder
    // merely named like a trash is not one.
    static bool isInUsersTrash(const QString& path);

    const QList<QSRemovedFilePtr>& resultsArray() const { return resultsArray_; }
    // Takes the records; a file without an icon gets the desktop's icon for its path.
    void setResultsArray(const QList<QSRemovedFilePtr>& records);
    // Null outside the list.
    QSRemovedFilePtr recordAtRow(int row) const;
    // The listed record of that identity; null when it is not (or no longer) listed.
    QSRemovedFilePtr listedRecord(const void* record) const;
    // Takes the record out of the list; false when it was not listed.
    bool removeRecord(const QSRemovedFilePtr& record);
    // The row of the record's file shows its current path.
    void recordDidChange(const QSRemovedFilePtr& record);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<QSRemovedFilePtr> resultsArray_;
};
