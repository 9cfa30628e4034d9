#pragma once

#include "engine/xdg_locations.h"

#include <QString>
#include <mutex>

#include <vector>

#include "platform/error.h"
#include "platform/file_identity.h"
#include "platform/file_manager.h"

// The engine's one service for the file system: the user's real home folder and the
// well-known folders beneath it, size measurement and removal.
class QSDiskUtilities {
public:
    static QSDiskUtilities& sharedInstance();

    QString currentVolumePath() const;
    // Stores the volume and recomputes every location.
    void setCurrentVolumePath(const QString& path);
    // Recomputes every location: after the folders below the home folder changed. A swap
    // of the platform services recomputes them by itself.
    void updatePaths();

    QString homeDirectoryPath() const;
    QString libraryDirectoryPath() const;
    QString applicationLogsPath() const;
    QString applicationCachesPath() const;
    QString trashPath() const;
    QString downloadsPath() const;
    QString mailDownloadsPath() const;
    QString mailDownloadsContainersPath() const;
    QString iOSBackupsPath() const;
    QString derivedDataPath() const;
    // The home's Linux folders (they need not exist): its Base Directory folders, and
    // the user folders of xdg-user-dirs (null when switched off).
    xdg::BaseDirectories baseDirectories() const;
    QString userDirectory(const QString& key) const;

    // Logical size in bytes of a file or folder; 0 for a null or missing path. Links are
    // measured as links, and other mounted file systems are not entered.
    quint64 fileSizeForPath(const QString& path) const;

    // Removes a file, or a folder with its content (keeping the folder itself when asked).
    // A link is removed as a link, never what it points to; relative paths are refused.
    // Read-only folders inside a folder the user owns are made writable to be emptied.
    bool removeItemAtPath(const QString& path, bool keepContainingFolder, platform::Error* error);
    bool removeDirectoryAtPath(const QString& path, bool keepContainingFolder,
                               platform::Error* error);
    // Removes a scanned entry, a folder with everything in it, only while it is still
    // what the scan saw (`scanned`); a changed entry is left alone and reported so.
    bool removeItemAtPath(const QString& path, const platform::FileIdentity& scanned,
                          platform::Error* error);

    QString libraryPathWithComponent(const QString& component) const;
    QString homeDirectoryPathWithComponent(const QString& component) const;
    // The same path when something exists there, else a null string.
    QString verifyPathExistsWithPath(const QString& path) const;
    QString removeVolumePrefixesFromPath(const QString& path) const;
    // The user's numeric id, found once per process through "/usr/bin/id" "-u".
    qint64 uid();

private:
    QSDiskUtilities();

    struct Locations {
        QString currentVolumePath;
        QString homeDirectoryPath;
        QString libraryDirectoryPath;
        QString applicationLogsPath;
        QString applicationCachesPath;
        QString trashPath;
        QString downloadsPath;
        QString mailDownloadsPath;
        QString mailDownloadsContainersPath;
        QString iOSBackupsPath;
        QString derivedDataPath;
        xdg::BaseDirectories baseDirectories;
    };
    QString get(QString Locations::*field) const;
    void set(QString Locations::*field, const QString& value);
    Locations computeLocations(const QString& volume);
    QString homeFolderFromReportedPath(const QString& reported) const;
    bool refuseRelativePath(const QString& path, platform::Error* error);
    bool answerForFailures(const QString& path,
                           const std::vector<platform::RemovalFailure>& failures,
                           platform::Error* error);

    mutable std::mutex mutex_;
    Locations locations_;
    std::once_flag uidOnce_;
    qint64 uid_ = 0;
};
