#pragma once

#include <QHash>
#include <QStringList>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/workspace.h"

namespace platform {

// Installed applications are .app bundles in the application folders and their plain
// subfolders, known by the CFBundleIdentifier of Contents/Info.plist, and desktop entries
// whose ID (file name without ".desktop") is the identifier, as Flatpak names them.
class LinuxWorkspace : public Workspace {
public:
    struct Folders {
        QStringList applicationFolders;
        QStringList desktopEntryFolders;  // each an "applications" folder of a data dir
    };

    // The standard folders: /Applications and ~/Applications, and the applications
    // folders of the XDG data dirs and of Flatpak's exports, found afresh at each look-up
    // so that they follow the home folder service.
    LinuxWorkspace() = default;
    explicit LinuxWorkspace(Folders folders) : fixedFolders_(std::move(folders)) {}

    static Folders standardFolders();

    QString urlForApplicationWithBundleIdentifier(const QString& bundleIdentifier) const override;
    QString iconForFile(const QString& path) const override;

private:
    // Bundle identifiers of the application folders, kept until one of the folders read
    // for it changes.
    struct BundleIndex {
        QStringList roots;
        std::vector<std::pair<QString, qint64>> folderStamps;
        QHash<QString, QString> bundles;
    };

    Folders folders() const;
    QString bundleWithIdentifier(const QStringList& roots, const QString& identifier) const;
    static bool isCurrent(const BundleIndex& index, const QStringList& roots);
    static BundleIndex buildIndex(const QStringList& roots);
    static void indexFolder(const QString& folder, int depth, BundleIndex* index);
    static QString desktopEntryWithIdentifier(const QStringList& folders,
                                              const QString& identifier);

    std::optional<Folders> fixedFolders_;
    mutable std::mutex mutex_;
    mutable BundleIndex index_;
};

}  // namespace platform
