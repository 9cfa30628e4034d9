#pragma once

#include "engine/scan_model.h"

// One login item. Its selection is whether it is enabled: setting it switches the item on
// or off at once.
class QSLoginItemFile : public QSScannedFile {
public:
    QString bundleID() const;
    void setBundleID(const QString& id);
    QString helperBundleID() const;
    void setHelperBundleID(const QString& id);
    QString helperPath() const;
    void setHelperPath(const QString& path);

    // Records the state and switches the item on or off.
    void setSelected(bool selected) override;
    // Records the state only.
    void setSelected(bool selected, bool silent);

    void load();
    void unload();
    bool addLoginItem();
    void removeLaunchdItem();
    // Writes the job description that switching the helper off needs; null on failure.
    QString temporaryPlistPath() const;
    void performTaskWithCommand(const QString& command);

private:
    mutable std::mutex mutex_;
    QString bundleID_;
    QString helperBundleID_;
    QString helperPath_;
};
