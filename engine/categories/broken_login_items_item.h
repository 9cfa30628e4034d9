#pragma once

#include "engine/scan_model.h"

// Launch agents and daemons of the user whose program no longer exists.
class QSBrokenLoginItemsItem : public QSScanItem {
public:
    static std::shared_ptr<QSBrokenLoginItemsItem> item() {
        return std::make_shared<QSBrokenLoginItemsItem>();
    }

    QString title() const override { return QStringLiteral("Broken Login Items"); }
    QString key() const override { return QStringLiteral("login-items"); }
    QString path() const override;
    bool hasDetails() const override { return true; }
    QSScanResultPtr actuallyScan() override;

    QList<QSScannedFilePtr> brokenItemsForPath(const QString& folder);
};
