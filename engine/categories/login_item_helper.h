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
    // The programs of the entries of that list that cannot be resolved (their program is
    // gone), as the entries write them.
    QStringList unresolvedLaunchdItems() const;
    // The user's non-system jobs that are loaded but not running, and their labels.
    QList<QVariantMap> smItems() const;
    QStringList smBundleIDs() const;

    bool itemIsEnabled(const QSLoginItemFile& item) const;
    bool isFileSMEnabled(const QSLoginItemFile& item) const;
    bool isFileLaunchDEnabled(const QSLoginItemFile& item) const;
    // The CFBundleIdentifier of the bundle's Contents/Info.plist; null when there is none.
    static QString helperBundleIDForPath(const QString& bundlePath);

    // The user's own systemd unit folder in the home being scanned.
    static QString userUnitFolder();
    struct UserService {
        QString unit;
        QString unitFile;
    };
    // The services the user enabled in that folder (a wants link to a unit file that is
    // there), each once, by unit name. Read afresh at each call: a switch changes them.
    static QList<UserService> enabledUserServices();
    static bool isServiceEnabled(const QString& unit);

    void update();
    void updateSMItems();
    void updateLaunchdItems();

private:
    QSLoginItemHelper();

    mutable std::mutex mutex_;
    QStringList launchdItems_;
    QStringList unresolvedLaunchdItems_;
    QList<QVariantMap> smItems_;
    QStringList smBundleIDs_;
};
