#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <memory>

#include "engine/scan_model.h"
#include "results/sw_result_row.h"

// The sidebar of the results screen: one row per category, in category order, with the
// categories that found nothing moved under a "NOTHING FOUND" heading (a group row) as
// they finish, whatever order they finish in. Three columns: the category's icon, its
// title with a line of detail, and its switch (or a spinner while it is scanning).
class SWResultsSidebarModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ImageColumn = 0, DetailColumn = 1, EnableColumn = 2, ColumnCount = 3 };
    enum Role {
        // The line under the title: "Scanning...", "No Items Found", "7 items", sizes.
        DetailTextRole = Qt::UserRole + 1,
        // The image's resource name ("icon-trash").
        IconNameRole,
        IsGroupRole,
        IsScanningRole,
        // Whether the switch is drawn at all (never for the login items).
        ShowsSwitchRole,
    };

    static constexpr char kScanningText[] = "Scanning...";
    static constexpr char kNoItemsFoundText[] = "No Items Found";
    static constexpr char kNothingFoundTitle[] = "Nothing Found";

    // The remove button: what it says, whether it can be pressed, how wide it is.
    struct NextButtonState {
        QString title;
        bool enabled = false;
        qreal width = 0;
    };
    static constexpr char kRemoveTitle[] = "Remove Selected Files";
    static constexpr char kDriveUnavailableTitle[] = "Drive Unavailable";
    static constexpr qreal kNextButtonWidth = 169.0;
    static constexpr qreal kNextButtonScanningWidth = 100.0;

    explicit SWResultsSidebarModel(QObject* parent = nullptr);

    // A placeholder row, scanning, for every category, in list order; the heading goes.
    void reloadData(const QList<std::shared_ptr<QSScanItem>>& scanItems);
    // Puts the category's finished row in place; a category that found nothing moves
    // under the heading. Answers the row's new index.
    int scanItemFinished(const QSScanResultPtr& result);

    // The category row at that index; null for the heading or an index out of range.
    SWResultRowPtr rowAtIndex(int index) const;
    SWResultRowPtr rowForKey(const QString& key) const { return resultsDictionary_.value(key); }
    QList<SWResultRowPtr> rows() const;
    bool isGroupRow(int index) const;
    int indexOfKey(const QString& key) const { return resultsOrderKeys_.indexOf(key); }
    const QStringList& resultsOrderKeys() const { return resultsOrderKeys_; }

    // Switches the category at that index on or off and remembers the choice for its
    // category. Nothing happens for the heading or a row that cannot be switched on.
    bool setRowSelected(int index, bool selected);

    // Sum of every row's size, the login items aside.
    quint64 totalSize() const;
    // What the switched-on rows that finished would free, the login items aside.
    quint64 selectedSize() const;
    bool isScanning() const;
    // `locked` keeps the button disabled (from a confirmed removal to the next scan's end).
    NextButtonState nextButtonState(bool homeFolderExists, bool locked) const;

    // Tells the views that the rows' texts and switches may have changed (file ticks).
    void refresh();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVariant groupData(int column, int role) const;
    QString detailText(const SWResultRow& row) const;
    bool switchUsable(const SWResultRow& row) const;
    void moveToNothingFound(int index, const QString& key);
    static void updateSelectedState(bool selected, const QString& key);

    // Category keys; a null string stands for the heading.
    QStringList resultsOrderKeys_;
    QHash<QString, SWResultRowPtr> resultsDictionary_;
    // The category order of the scan running and the keys of it that found nothing.
    QStringList scanOrder_;
    QStringList emptyKeys_;
};
