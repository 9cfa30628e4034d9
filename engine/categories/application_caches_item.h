#pragma once

#include "engine/scan_model.h"

// The user's application caches, and the caches inside sandboxed applications' containers.
class QSApplicationCachesItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() {
        return std::make_shared<QSApplicationCachesItem>();
    }

    QString title() const override { return QStringLiteral("Application Caches"); }
    QString key() const override { return QStringLiteral("application-caches"); }
    QString path() const override;
    bool hasDetails() const override { return true; }

    // Names never listed.
    static const QStringList& ignoredFiles();
    // Names listed deselected, their selection decided here.
    static const QStringList& uncheckedFiles();

    QSScanResultPtr actuallyScan() override;
    QSScannedFilePtr scannedFileWithPath(const QString& path,
                                         const QVariantMap& attributes) override;
    // Builds or drops one entry shown under `fileName`.
    QSScannedFilePtr scannedFileWithPath(const QString& path, const QVariantMap& attributes,
                                         const QString& fileName);
    // The Data/Library/Caches folders of the containers in Library/Containers.
    QList<QSScannedFilePtr> sandboxedFiles();
};
