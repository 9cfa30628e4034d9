#pragma once

#include "engine/scan_model.h"

// Property-list files in Library/Preferences that can no longer be parsed; on Linux also
// the user's launchers (~/.local/share/applications) that do not load or whose program
// is gone.
class QSBrokenPrefsItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSBrokenPrefsItem>(); }

    QString title() const override { return QStringLiteral("Broken Preferences"); }
    QString key() const override { return QStringLiteral("broken-preferences"); }
    QString path() const override;
    bool hasDetails() const override { return true; }
    bool selectedByDefault() const override { return false; }

    QSScanResultPtr actuallyScan() override;
    QList<QSScannedFilePtr> brokenLaunchers();

private:
    bool isExamined(const QString& path, const QString& name);
};
