#pragma once

#include "engine/categories/login_item_file.h"
#include "engine/categories/spotlight_search.h"

// The applications that start at login, through a helper inside the bundle or through the
// login-items list (also those whose program is gone), and the services the user enabled.
// Never deleted: their switches turn them on and off.
class QSLoginItemsItem : public QSSpotlightScanItem {
public:
    static std::shared_ptr<QSLoginItemsItem> item() { return std::make_shared<QSLoginItemsItem>(); }

    static inline const QString kKey = QStringLiteral("actual-login-items");

    QString title() const override { return QStringLiteral("Login Items"); }
    QString key() const override { return kKey; }
    QString path() const override;
    bool hasDetails() const override { return true; }
    QSScanResultPtr actuallyScan() override;

    SpotlightListing findLargeFiles();

protected:
    SpotlightListing spotlightPaths() override { return findLargeFiles(); }
    QString pathMarker() const override { return kPathMarkerLarge; }

private:
    std::shared_ptr<QSLoginItemFile> helperItem(const QString& application);
    std::shared_ptr<QSLoginItemFile> listItem(const QString& path);
    std::shared_ptr<QSLoginItemFile> serviceItem(const QString& unit, const QString& unitFile);
};
