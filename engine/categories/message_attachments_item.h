#pragma once

#include "engine/scan_model.h"

// The attachments that Messages keeps: every visible file at any depth is an entry of
// its own; folders are never entries, and packages are skipped with their content.
class QSMessageAttachmentsItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() {
        return std::make_shared<QSMessageAttachmentsItem>();
    }

    QString title() const override { return QStringLiteral("Message Attachments"); }
    QString key() const override { return QStringLiteral("message-attachments"); }
    // Library/Messages/Attachments, whether or not it exists.
    QString path() const override;
    bool hasDetails() const override { return true; }

    QSScanResultPtr actuallyScan() override;
    // Walks the whole folder once; each entry's size and dates come from that walk.
    QList<QSScannedFilePtr> enumerateDirectoryWithPath(const QString& path) override;
};
