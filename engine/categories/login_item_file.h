#pragma once

#include "engine/scan_model.h"
#include "platform/error.h"

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
    // The systemd user service the item is (its unit name); empty for other items.
    QString serviceUnit() const;
    void setServiceUnit(const QString& unit);

    // Switches the item on or off, as switchSelected does.
    void setSelected(bool selected) override;
    // Records the state only.
    void setSelected(bool selected, bool silent);
    // Switches the item on or off and records the state. When the switch fails the item
    // keeps the state it had, and `error` says why.
    bool switchSelected(bool selected, platform::Error* error);

    bool load(platform::Error* error);
    bool unload(platform::Error* error);
    bool addLoginItem(platform::Error* error);
    bool removeLaunchdItem(platform::Error* error);
    // Writes the job description that switching the helper off needs; null on failure.
    QString temporaryPlistPath() const;
    bool performTaskWithCommand(const QString& command, platform::Error* error);
    // Enables or disables the service with the user's service manager.
    bool switchService(bool enabled, platform::Error* error);

private:
    mutable std::mutex mutex_;
    QString bundleID_;
    QString helperBundleID_;
    QString helperPath_;
    QString serviceUnit_;
};
