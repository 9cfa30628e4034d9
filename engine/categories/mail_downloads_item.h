#pragma once

#include "engine/scan_model.h"

// Attachments that Mail saved when they were opened.
class QSMailDownloadsItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSMailDownloadsItem>(); }

    QString title() const override { return QStringLiteral("Mail Caches"); }
    QString key() const override { return QStringLiteral("mail-downloads"); }
    // Library/Mail Downloads, or the one inside Mail's container when that is missing.
    QString path() const override;
    bool hasDetails() const override { return true; }
};
