#pragma once

#include <QString>
#include <QVariantMap>
#include <memory>

#include "engine/scan_model.h"

class SWResultRow;
using SWResultRowPtr = std::shared_ptr<SWResultRow>;

// The interface's view of one category's result: which of its files are shown and
// counted, its size, whether it can be switched on, whether it is, and what part of it
// is ticked for removal.
class SWResultRow {
public:
    // The category that lists the user's start-up programs: its entries are switched,
    // never removed, and count in no total.
    static constexpr char kLoginItemsKey[] = "actual-login-items";
    static constexpr char kDefaultSelectionResource[] = ":/results/Default-Selected-Items.plist";
    static constexpr char kDetailsSelectedKey[] = "details-selected";

    static SWResultRowPtr rowWithScanResult(const QSScanResultPtr& result);

    const QSScanResultPtr& scanResult() const { return scanResult_; }
    const QString& key() const { return key_; }
    const QString& title() const { return title_; }
    const QString& path() const { return path_; }
    // The name of the category's image: "icon-" and the key.
    QString iconImage() const { return QStringLiteral("icon-") + key_; }
    const QList<QSScannedFilePtr>& details() const { return details_; }
    quint64 totalSize() const { return totalSize_; }
    const QString& totalSizeString() const { return totalSizeString_; }

    bool enabled() const { return enabled_; }
    bool selected() const { return selected_; }
    void setSelected(bool selected) { selected_ = selected; }
    bool isScanning() const { return isScanning_; }
    void setIsScanning(bool scanning) { isScanning_ = scanning; }
    bool isLoginItems() const { return key_ == QLatin1String(kLoginItemsKey); }

    quint64 selectedSize() const;
    QList<QSScannedFilePtr> selectedDetails() const;

    // Switches the row on when the user chose so for its category, and ticks its files
    // when the category's files are ticked by default.
    void updateSelectedIfNeeded();

    // The default-selection resource, read once.
    static const QVariantMap& defaultSelectedItems();

private:
    SWResultRow() = default;

    QSScanResultPtr scanResult_;
    QString key_;
    QString title_;
    QString path_;
    QList<QSScannedFilePtr> details_;
    quint64 totalSize_ = 0;
    QString totalSizeString_;
    bool enabled_ = false;
    bool selected_ = false;
    bool isScanning_ = false;
};
