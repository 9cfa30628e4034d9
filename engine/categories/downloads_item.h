#pragma once

#include "engine/scan_model.h"

// The user's Downloads folder; its entries start deselected.
class QSDownloadsItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSDownloadsItem>(); }

    QString title() const override { return QStringLiteral("Downloads"); }
    QString key() const override { return QStringLiteral("downloads"); }
    QString path() const override;
    bool hasDetails() const override { return true; }
    bool selectedByDefault() const override { return false; }
};
