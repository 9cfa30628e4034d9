#include "results/sw_result_row.h"

#include <QFile>
#include <algorithm>

#include "base/sw_user_defaults.h"
#include "platform/property_list.h"
#include "results/memory_formatter.h"
#include "results/sw_category_texts.h"

SWResultRowPtr SWResultRow::rowWithScanResult(const QSScanResultPtr& result) {
    SWResultRowPtr row(new SWResultRow);
    row->scanResult_ = result;
    row->enabled_ = !result->disabled();
    row->title_ = result->title();
    row->key_ = result->key();

    QList<QSScannedFilePtr> sorted = result->detailArray();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const QSScannedFilePtr& a, const QSScannedFilePtr& b) {
                         return a->fileSize() > b->fileSize();
                     });
    // Entries of size 0 are never shown, counted or removed through the row.
    quint64 total = 0;
    for (const QSScannedFilePtr& file : sorted) {
        if (file->fileSize() == 0) continue;
        row->details_.append(file);
        total += file->fileSize();
    }
    if (row->details_.isEmpty()) row->enabled_ = false;
    row->totalSize_ = total;
    row->totalSizeString_ = KPMemoryFormatter().stringFromBytes(double(total));
    row->path_ = result->path();
    row->updateSelectedIfNeeded();
    return row;
}

quint64 SWResultRow::selectedSize() const {
    quint64 size = 0;
    for (const QSScannedFilePtr& file : details_) {
        if (file->selected()) size += file->fileSize();
    }
    return size;
}

QList<QSScannedFilePtr> SWResultRow::selectedDetails() const {
    QList<QSScannedFilePtr> selected;
    for (const QSScannedFilePtr& file : details_) {
        if (file->selected()) selected.append(file);
    }
    return selected;
}

void SWResultRow::updateSelectedIfNeeded() {
    if (scanResult_->disabled()) {
        selected_ = false;
        return;
    }
    const QVariantMap entry = defaultSelectedItems().value(key_).toMap();
    const std::optional<QVariantMap> states =
        SWUserDefaults::standardUserDefaults().selectedStates();
    selected_ = states && states->value(key_).toBool();
    // A tick of a login item switches the user's start-up program on: the resource must
    // never do that, whatever it says.
    if (!scanResult_->removesFiles()) return;
    if (!entry.value(QLatin1String(kDetailsSelectedKey)).toBool()) return;
    for (const QSScannedFilePtr& file : details_) {
        if (!file->hasSelectedOverride()) file->setSelected(true);
    }
}

const QVariantMap& SWResultRow::defaultSelectedItems() {
    static const QVariantMap items = [] {
        SWCategoryTexts::loadResources();
        QFile file{QString::fromLatin1(kDefaultSelectionResource)};
        if (!file.open(QIODevice::ReadOnly)) return QVariantMap();
        return platform::propertyListDictionary(file.readAll()).value_or(QVariantMap());
    }();
    return items;
}
