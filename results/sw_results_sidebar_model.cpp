#include "results/sw_results_sidebar_model.h"

#include <algorithm>

#include "base/sw_user_defaults.h"
#include "results/memory_formatter.h"

SWResultsSidebarModel::SWResultsSidebarModel(QObject* parent) : QAbstractTableModel(parent) {}

void SWResultsSidebarModel::reloadData(const QList<std::shared_ptr<QSScanItem>>& scanItems) {
    beginResetModel();
    resultsOrderKeys_.clear();
    resultsDictionary_.clear();
    scanOrder_.clear();
    emptyKeys_.clear();
    for (const std::shared_ptr<QSScanItem>& item : scanItems) {
        auto placeholder = std::make_shared<QSScanResult>(item->title(), item->key(), 0,
                                                          QList<QSScannedFilePtr>(), item->path());
        SWResultRowPtr row = SWResultRow::rowWithScanResult(placeholder);
        row->setIsScanning(true);
        resultsOrderKeys_.append(item->key());
        scanOrder_.append(item->key());
        resultsDictionary_.insert(item->key(), row);
    }
    endResetModel();
}

int SWResultsSidebarModel::scanItemFinished(const QSScanResultPtr& result) {
    const QString key = result->key();
    const int index = int(resultsOrderKeys_.indexOf(key));
    if (index < 0) return -1;
    SWResultRowPtr row = SWResultRow::rowWithScanResult(result);
    resultsDictionary_.insert(key, row);
    if (row->enabled()) {
        emit dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
        return index;
    }
    moveToNothingFound(index, key);
    return int(resultsOrderKeys_.indexOf(key));
}

// The heading is added once, at the end; the categories below it keep the category
// order of the scan whatever order they finished in.
void SWResultsSidebarModel::moveToNothingFound(int index, const QString& key) {
    if (!resultsOrderKeys_.contains(QString())) {
        const int end = int(resultsOrderKeys_.size());
        beginInsertRows(QModelIndex(), end, end);
        resultsOrderKeys_.append(QString());
        endInsertRows();
    }
    if (!emptyKeys_.contains(key)) emptyKeys_.append(key);
    std::sort(emptyKeys_.begin(), emptyKeys_.end(), [this](const QString& a, const QString& b) {
        return scanOrder_.indexOf(a) < scanOrder_.indexOf(b);
    });
    QStringList moved = resultsOrderKeys_;
    moved.removeAt(index);
    const qsizetype heading = moved.indexOf(QString());
    const int target = int(std::min(heading + 1 + emptyKeys_.indexOf(key), moved.size()));
    if (target != index) {
        // Qt names the destination by the row it lands before, counted before the move.
        beginMoveRows(QModelIndex(), index, index, QModelIndex(),
                      target > index ? target + 1 : target);
        resultsOrderKeys_.move(index, target);
        endMoveRows();
    }
    emit dataChanged(this->index(target, 0), this->index(target, ColumnCount - 1));
}

SWResultRowPtr SWResultsSidebarModel::rowAtIndex(int index) const {
    if (index < 0 || index >= resultsOrderKeys_.size()) return nullptr;
    const QString& key = resultsOrderKeys_.at(index);
    return key.isNull() ? nullptr : resultsDictionary_.value(key);
}

QList<SWResultRowPtr> SWResultsSidebarModel::rows() const {
    QList<SWResultRowPtr> rows;
    for (const QString& key : resultsOrderKeys_) {
        if (!key.isNull()) rows.append(resultsDictionary_.value(key));
    }
    return rows;
}

bool SWResultsSidebarModel::isGroupRow(int index) const {
    return index >= 0 && index < resultsOrderKeys_.size() && resultsOrderKeys_.at(index).isNull();
}

bool SWResultsSidebarModel::switchUsable(const SWResultRow& row) const {
    return row.enabled() && !row.isScanning() && !row.isLoginItems();
}

bool SWResultsSidebarModel::setRowSelected(int index, bool selected) {
    SWResultRowPtr row = rowAtIndex(index);
    if (!row || !switchUsable(*row)) return false;
    row->setSelected(selected);
    updateSelectedState(selected, row->key());
    emit dataChanged(this->index(index, 0), this->index(index, ColumnCount - 1));
    return true;
}

void SWResultsSidebarModel::updateSelectedState(bool selected, const QString& key) {
    SWUserDefaults& defaults = SWUserDefaults::standardUserDefaults();
    QVariantMap states = defaults.selectedStates().value_or(QVariantMap());
    states.insert(key, selected);
    defaults.setSelectedStates(states);
}

quint64 SWResultsSidebarModel::totalSize() const {
    quint64 total = 0;
    for (const SWResultRowPtr& row : resultsDictionary_) {
        if (!row->isLoginItems()) total += row->totalSize();
    }
    return total;
}

quint64 SWResultsSidebarModel::selectedSize() const {
    quint64 selected = 0;
    for (const SWResultRowPtr& row : resultsDictionary_) {
        if (row->isLoginItems() || !row->enabled() || !row->selected() || row->isScanning()) {
            continue;
        }
        selected += row->selectedSize();
    }
    return selected;
}

bool SWResultsSidebarModel::isScanning() const {
    return std::any_of(resultsDictionary_.cbegin(), resultsDictionary_.cend(),
                       [](const SWResultRowPtr& row) { return row->isScanning(); });
}

SWResultsSidebarModel::NextButtonState SWResultsSidebarModel::nextButtonState(bool homeFolderExists,
                                                                              bool locked) const {
    const bool scanning = isScanning();
    NextButtonState state;
    state.width = scanning ? kNextButtonScanningWidth : kNextButtonWidth;
    if (!homeFolderExists) {
        state.title = QLatin1String(kDriveUnavailableTitle);
        return state;
    }
    state.title = QLatin1String(scanning ? kScanningText : kRemoveTitle);
    if (scanning || locked) return state;
    state.enabled = std::any_of(
        resultsDictionary_.cbegin(), resultsDictionary_.cend(), [](const SWResultRowPtr& row) {
            return row->enabled() && row->selected() && !row->selectedDetails().isEmpty();
        });
    return state;
}

void SWResultsSidebarModel::refresh() {
    if (resultsOrderKeys_.isEmpty()) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int SWResultsSidebarModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(resultsOrderKeys_.size());
}

int SWResultsSidebarModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString SWResultsSidebarModel::detailText(const SWResultRow& row) const {
    if (row.isScanning()) return QLatin1String(kScanningText);
    if (!row.enabled()) return QLatin1String(kNoItemsFoundText);
    if (row.isLoginItems()) {
        const qsizetype count = row.details().size();
        return QStringLiteral("%1 item%2").arg(count).arg(count == 1 ? "" : "s");
    }
    const KPMemoryFormatter formatter;
    const double selected = row.selected() ? double(row.selectedSize()) : 0.0;
    return QStringLiteral("%1 of %2")
        .arg(formatter.stringFromBytes(selected), row.totalSizeString());
}

QVariant SWResultsSidebarModel::groupData(int column, int role) const {
    if (role == IsGroupRole) return true;
    if (column != ImageColumn) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
        return QString::fromLatin1(kNothingFoundTitle).toUpper();
    }
    return {};
}

QVariant SWResultsSidebarModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (isGroupRow(index.row())) return groupData(index.column(), role);
    const SWResultRow& row = *rowAtIndex(index.row());
    switch (role) {
        case IsGroupRole:
            return false;
        case IsScanningRole:
            return row.isScanning();
        case DetailTextRole:
            return detailText(row);
        case IconNameRole:
            return row.iconImage();
        case ShowsSwitchRole:
            return !row.isScanning() && !row.isLoginItems();
    }
    switch (index.column()) {
        case ImageColumn:
            return role == Qt::AccessibleTextRole ? QVariant(row.title()) : QVariant();
        case DetailColumn:
            if (role == Qt::DisplayRole) return row.title();
            if (role == Qt::AccessibleTextRole) return row.title() + ", " + detailText(row);
            return {};
        case EnableColumn:
            if (role == Qt::CheckStateRole && !row.isScanning() && !row.isLoginItems()) {
                return row.enabled() && row.selected() ? Qt::Checked : Qt::Unchecked;
            }
            if (role == Qt::AccessibleTextRole) {
                return row.isScanning() ? QStringLiteral("Scanning %1").arg(row.title())
                                        : QStringLiteral("Include %1").arg(row.title());
            }
            return {};
    }
    return {};
}

bool SWResultsSidebarModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != EnableColumn || role != Qt::CheckStateRole) {
        return false;
    }
    return setRowSelected(index.row(), value.toInt() == Qt::Checked);
}

Qt::ItemFlags SWResultsSidebarModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    if (isGroupRow(index.row())) return Qt::ItemIsEnabled;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const SWResultRowPtr row = rowAtIndex(index.row());
    if (index.column() == EnableColumn && row && switchUsable(*row)) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}
