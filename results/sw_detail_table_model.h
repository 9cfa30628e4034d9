#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <memory>

#include "engine/scan_model.h"
#include "results/memory_formatter.h"
#include "results/sw_result_row.h"

// The table of one category's entries on its detail screen, in the order the user chose:
// the entry's icon, its name, its size, for the categories judged by age its date, and its
// check box (a switch for the login items). It holds one pointer per entry and formats
// cells only when a view asks for them, so a category of hundreds of thousands of files
// costs little more than the scan's own entries.
class SWDetailTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ImageColumn = 0,
        NameColumn = 1,
        SizeColumn = 2,
        DateColumn = 3,
        CheckBoxColumn = 4,
        ColumnCount = 5
    };
    enum SortOption { SortNone = 0, SortByName = 1, SortBySize = 2, SortByDate = 3 };
    enum SortDirection { Ascending = 0, Descending = 1 };
    enum class Variant {
        Standard,
        // Unused applications and screenshots: a date column, oldest first.
        Dates,
        // The login items: switches that act at once, sorted switched-on first.
        LoginItems
    };
    enum Role {
        // The entry's path; empty for an entry without one (it can be neither revealed
        // nor previewed).
        PathRole = Qt::UserRole + 1,
        // The entry's own icon reference (an image's path or a themed icon name), if any.
        IconReferenceRole,
        // Whether the entry is a folder, as the scan recorded it; none when it did not.
        IsFolderRole,
    };

    static constexpr char kMissingFileName[] = "Missing File Name";
    static constexpr char kMissingDate[] = "---";
    static constexpr char kUnusedAppsKey[] = "unused-apps";
    static constexpr char kScreenshotsKey[] = "screenshots";
    static constexpr char kNameHeader[] = "Name";
    static constexpr char kSizeHeader[] = "Size";
    static constexpr char kLastUsedHeader[] = "Last Used";
    static constexpr char kDateModifiedHeader[] = "Date Modified";

    // Sorted largest first (switched-on first for the login items) until told otherwise.
    explicit SWDetailTableModel(Variant variant, QObject* parent = nullptr);

    static Variant variantForKey(const QString& key);
    Variant variant() const { return variant_; }

    SWResultRowPtr row() const { return row_.lock(); }
    // The category of the row; it decides which date an entry is judged by and how dates
    // read.
    const QString& key() const { return key_; }
    // Takes the row's entries in the current order and whether it is still scanning.
    void setRow(const SWResultRowPtr& row);
    bool isScanning() const { return isScanning_; }
    const QList<QSScannedFilePtr>& detailArray() const { return detailArray_; }
    // The entry at that index; null outside the list.
    QSScannedFilePtr fileAtRow(int index) const;

    SortOption sortOption() const { return sortOption_; }
    SortDirection sortDirection() const { return sortDirection_; }
    void setSort(SortOption option, SortDirection direction);
    // A click on a column's header: the same column again flips the order, another one
    // sorts by it from the smallest, the first name or the oldest.
    void clickSortColumn(SortOption option);
    // A sorted copy of the entries under the current sort.
    QList<QSScannedFilePtr> sortedDataArray(const QList<QSScannedFilePtr>& files) const;

    // Ticks every entry, or none. The category's own switch stays as it is; the login
    // items are never switched all at once.
    void handleSelectionOption(bool deselect);
    // Ticks or clears one entry. Ticking an entry switches its category on; clearing it
    // leaves the category on. A login item switches on or off at once. Answers whether
    // the index named an entry.
    bool setFileSelected(int index, bool selected);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Day, month and year; with the time of day for screenshots. "---" without a date.
    QString dateString(const QDateTime& date) const;

signals:
    // A tick of the user changed the category's selection (not sent for login items).
    void selectionChanged();

private:
    void setDetailArray(QList<QSScannedFilePtr> files);

    Variant variant_;
    QString key_;
    std::weak_ptr<SWResultRow> row_;
    QList<QSScannedFilePtr> detailArray_;
    bool isScanning_ = false;
    SortOption sortOption_ = SortBySize;
    SortDirection sortDirection_ = Descending;
    KPMemoryFormatter memoryFormatter_;
};
