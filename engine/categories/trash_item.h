#pragma once

#include "engine/scan_model.h"

// The user's Trash and the iCloud Drive trash folders.
class QSTrashItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSTrashItem>(); }

    QString title() const override { return QStringLiteral("Trash"); }
    QString key() const override { return QStringLiteral("trash"); }
    QString path() const override;
    // The user's Trash when it exists, then the two iCloud Drive trash folders, which are
    // listed whether or not they exist.
    QStringList paths() const override;
    bool hasDetails() const override { return true; }
};
