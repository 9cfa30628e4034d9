#pragma once

#include "engine/scan_model.h"

// The user's application logs, one entry per entry of Library/Logs.
class QSApplicationLogsItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSApplicationLogsItem>(); }

    QString title() const override { return QStringLiteral("Application Logs"); }
    QString key() const override { return QStringLiteral("application-logs"); }
    QString path() const override;
    bool hasDetails() const override { return true; }

    // Shows the icon of the application whose bundle identifier names the entry.
    QSScannedFilePtr scannedFileWithPath(const QString& path,
                                         const QVariantMap& attributes) override;
};
