#pragma once

#include <QStringList>
#include <QVariantMap>
#include <mutex>

class QSLoginItemFile;

// Snapshots of what starts at login, taken once per run: the session's login-items list
// and the user's background jobs.
class QSLoginItemHelper {
public:
    static QSLoginItemHelper& sharedInstance();

    // Resolved paths of the login-items list, in list order.
    QStringList launchdItems() const;
    // The user's non-system jobs that are loaded but not running, and their labels.
    QList<QVariantMap> smItems() const;
    QStringList smBundleIDs() const;

    bool itemIsEnabled(const QSLoginItemFile& item) const;
    bool isFileSMEnabled(const QSLoginItemFile& item) const;
    bool isFileLaunchDEnabled(const QSLoginItemFile& item) const;
    // The CFBundleIdentifier of the bundle's Contents/Info.plist; null when there is none.
    static QString helperBundleIDForPath(const QString& bundlePath);

    void update();
    void updateSMItems();
    void updateLaunchdItems();

private:
    QSLoginItemHelper();

    mutable std::mutex mutex_;
    QStringList launchdItems_;
    QList<QVariantMap> smItems_;
    QStringList smBundleIDs_;
};
