#include "results/sw_detail_table_model.h"

#include <QLocale>
#include <algorithm>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Sorts by a key computed once per entry: comparing folded names or dates directly
// would redo that work in every one of the n log n comparisons. Ties keep their order.
template <typename KeyFunction>
QList<QSScannedFilePtr> sortedByKey(const QList<QSScannedFilePtr>& files, KeyFunction key,
                                    bool descending) {
    using Key = decltype(key(*files.first()));
    std::vector<std::pair<Key, qsizetype>> keys;
    keys.reserve(size_t(files.size()));
    for (qsizetype i = 0; i < files.size(); ++i)
        keys.emplace_back(key(*files[i]), i);
    std::stable_sort(keys.begin(), keys.end(), [descending](const auto& a, const auto& b) {
        return descending ? b.first < a.first : a.first < b.first;
    });
    QList<QSScannedFilePtr> sorted;
    sorted.reserve(files.size());
    for (const auto& entry : keys)
        sorted.append(files[entry.second]);
    return sorted;
}

// Names sort by their case-folded text, folded once per entry into one buffer: folding in
// every comparison, or a string of its own per entry, made a re-sort of 200,000 names
// several times slower.
QList<QSScannedFilePtr> sortedByName(const QList<QSScannedFilePtr>& files, bool descending) {
    struct Key {
        qsizetype offset;
        qsizetype length;
        qsizetype index;
    };
    std::u16string folded;
    std::vector<Key> keys;
    keys.reserve(size_t(files.size()));
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString name = files[i]->fileName().toCaseFolded();
        keys.push_back({qsizetype(folded.size()), name.size(), i});
        folded.append(reinterpret_cast<const char16_t*>(name.utf16()), size_t(name.size()));
    }
    const auto text = [&folded](const Key& key) {
        return std::u16string_view(folded).substr(size_t(key.offset), size_t(key.length));
    };
    std::stable_sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        return descending ? text(b) < text(a) : text(a) < text(b);
    });
    QList<QSScannedFilePtr> sorted;
    sorted.reserve(files.size());
    for (const Key& key : keys)
        sorted.append(files[key.index]);
    return sorted;
}

qint64 sortableDate(const QDateTime& date) {
    return date.isValid() ? date.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min();
}

// The time of day with its seconds, in the locale's own order of hours and minutes.
QString timeFormatWithSeconds(const QLocale& locale) {
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("ss"))) {
        format.replace(QLatin1String("mm"), QLatin1String("mm:ss"));
    }
    return format;
}

}  // namespace

SWDetailTableModel::SWDetailTableModel(Variant variant, QObject* parent)
    : QAbstractTableModel(parent), variant_(variant) {}

SWDetailTableModel::Variant SWDetailTableModel::variantForKey(const QString& key) {
    if (key == QLatin1String(kUnusedAppsKey) || key == QLatin1String(kScreenshotsKey)) {
        return Variant::Dates;
    }
    if (key == QLatin1String(SWResultRow::kLoginItemsKey)) return Variant::LoginItems;
    return Variant::Standard;
}

void SWDetailTableModel::setRow(const SWResultRowPtr& row) {
    row_ = row;
    key_ = row ? row->key() : QString();
    isScanning_ = row && row->isScanning();
    setDetailArray(row ? sortedDataArray(row->details()) : QList<QSScannedFilePtr>());
}

void SWDetailTableModel::setDetailArray(QList<QSScannedFilePtr> files) {
    beginResetModel();
    detailArray_ = std::move(files);
    endResetModel();
}

QSScannedFilePtr SWDetailTableModel::fileAtRow(int index) const {
    if (index < 0 || index >= detailArray_.size()) return nullptr;
    return detailArray_.at(index);
}

void SWDetailTableModel::setSort(SortOption option, SortDirection direction) {
    sortOption_ = option;
    sortDirection_ = direction;
    setDetailArray(sortedDataArray(detailArray_));
}

void SWDetailTableModel::clickSortColumn(SortOption option) {
    const SortDirection direction = option != sortOption_         ? Ascending
                                    : sortDirection_ == Ascending ? Descending
                                                                  : Ascending;
    setSort(option, direction);
}

QList<QSScannedFilePtr> SWDetailTableModel::sortedDataArray(
    const QList<QSScannedFilePtr>& files) const {
    if (files.isEmpty()) return files;
    const bool descending = sortDirection_ == Descending;
    if (variant_ == Variant::LoginItems && sortOption_ == SortBySize) {
        // Switched-on items first when descending; the names always A to Z.
        QList<QSScannedFilePtr> sorted = files;
        std::stable_sort(sorted.begin(), sorted.end(),
                         [descending](const QSScannedFilePtr& a, const QSScannedFilePtr& b) {
                             if (a->selected() != b->selected()) {
                                 return descending ? a->selected() : b->selected();
                             }
                             return a->fileName() < b->fileName();
                         });
        return sorted;
    }
    switch (sortOption_) {
        case SortBySize:
            return sortedByKey(
                files, [](const QSScannedFile& file) { return file.fileSize(); }, descending);
        case SortByDate: {
            const bool byLastUse = key_ == QLatin1String(kUnusedAppsKey);
            return sortedByKey(
                files,
                [byLastUse](const QSScannedFile& file) {
                    return sortableDate(byLastUse ? file.lastUsedDate() : file.modificationDate());
                },
                descending);
        }
        default:
            return sortedByName(files, descending);
    }
}

void SWDetailTableModel::handleSelectionOption(bool deselect) {
    if (variant_ == Variant::LoginItems || detailArray_.isEmpty() || row_.expired()) return;
    for (const QSScannedFilePtr& file : std::as_const(detailArray_))
        file->setSelected(!deselect);
    emit dataChanged(index(0, CheckBoxColumn), index(rowCount() - 1, CheckBoxColumn),
                     {Qt::CheckStateRole});
    emit selectionChanged();
}

bool SWDetailTableModel::setFileSelected(int index, bool selected) {
    const QSScannedFilePtr file = fileAtRow(index);
    const SWResultRowPtr row = row_.lock();
    // Without its row the list belongs to a scan that is over: a tick would not reach
    // what the next removal works on.
    if (!file || !row) return false;
    file->setSelected(selected);
    const QModelIndex cell = this->index(index, CheckBoxColumn);
    emit dataChanged(cell, cell, {Qt::CheckStateRole});
    if (variant_ == Variant::LoginItems) return true;
    if (selected) row->setSelected(true);
    emit selectionChanged();
    return true;
}

int SWDetailTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(detailArray_.size());
}

int SWDetailTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SWDetailTableModel::data(const QModelIndex& index, int role) const {
    const QSScannedFilePtr file = fileAtRow(index.row());
    if (!file || index.column() < 0 || index.column() >= ColumnCount) return {};
    if (role == PathRole) return file->path();
    if (role == IsFolderRole) {
        const platform::FileIdentity identity = file->identity();
        return identity.isValid() ? QVariant(identity.isDirectory()) : QVariant();
    }
    const QString name =
        file->fileName().isEmpty() ? QString::fromLatin1(kMissingFileName) : file->fileName();
    switch (index.column()) {
        case ImageColumn:
            if (role == IconReferenceRole) return file->icon();
            break;
        case NameColumn:
            if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return name;
            if (role == Qt::ToolTipRole) return file->path();
            break;
        case SizeColumn:
            if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
                return memoryFormatter_.stringFromBytes(double(file->fileSize()));
            }
            break;
        case DateColumn:
            if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
                return dateString(file->lastUsedDate().isValid() ? file->lastUsedDate()
                                                                 : file->modificationDate());
            }
            break;
        case CheckBoxColumn:
            if (role == Qt::CheckStateRole) return file->selected() ? Qt::Checked : Qt::Unchecked;
            if (role == Qt::AccessibleTextRole) return name;
            break;
    }
    return {};
}

bool SWDetailTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != CheckBoxColumn) return false;
    return setFileSelected(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
}

Qt::ItemFlags SWDetailTableModel::flags(const QModelIndex& index) const {
    if (!fileAtRow(index.row())) return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == CheckBoxColumn) flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant SWDetailTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case NameColumn:
            return QString::fromLatin1(kNameHeader);
        case SizeColumn:
            return QString::fromLatin1(kSizeHeader);
        case DateColumn:
            return QString::fromLatin1(key_ == QLatin1String(kScreenshotsKey) ? kDateModifiedHeader
                                                                              : kLastUsedHeader);
        default:
            return {};
    }
}

QString SWDetailTableModel::dateString(const QDateTime& date) const {
    if (!date.isValid()) return QString::fromLatin1(kMissingDate);
    const QLocale locale;
    const QDateTime local = date.toLocalTime();
    const QString day = locale.toString(local.date(), QStringLiteral("MMM d, yyyy"));
    if (key_ != QLatin1String(kScreenshotsKey)) return day;
    return day + QStringLiteral(", ") +
           locale.toString(local.time(), timeFormatWithSeconds(locale));
}
