#pragma once

#include <optional>
#include <vector>

#include "engine/scan_model.h"
#include "platform/file_manager.h"

// The sandbox containers in Library/Containers whose application is no longer installed.
// In a Linux home also the data of Flatpak applications (~/.var/app/<id>) and snaps
// (~/snap/<name>) that are installed nowhere any more. Those hold game saves, chat
// histories and settings a person may want back: they are listed unticked, and nothing
// in ~/.config or ~/.local/share is ever guessed to be a leftover.
class QSLeftoverItem : public QSScanItem {
public:
    static std::shared_ptr<QSScanItem> item() { return std::make_shared<QSLeftoverItem>(); }

    QString title() const override { return QStringLiteral("Application Leftovers"); }
    QString key() const override { return QStringLiteral("application-leftovers"); }
    QString path() const override;
    bool hasDetails() const override { return true; }

    QSScanResultPtr actuallyScan() override;

    // The container as a leftover by what its Container.plist says of its application;
    // null when the list names no identifier or the application is still there.
    QSScannedFilePtr sandboxedContainerFileWithPath(const QString& path);
    // The container as a leftover by its name, taken as a bundle identifier; null when an
    // application with that identifier is installed.
    QSScannedFilePtr containerFileWithPath(const QString& path);
    // The property list at the path, when its top level is a dictionary.
    static std::optional<QVariantMap> dictionaryFromPropertyListAtPath(const QString& path);

private:
    struct Owner {
        QString bundlePath;
        QString bundleIdentifier;
    };
    static Owner ownerOfContainer(const QString& path);
    QSScannedFilePtr sandboxedContainerFile(const QString& path, const Owner& owner);
    static bool isInstalled(const Owner& owner);
    QList<QSScannedFilePtr> flatpakLeftovers();
    QList<QSScannedFilePtr> snapLeftovers();
    // The data folders of sandboxed applications in the home folder's `folder`, a real
    // folder each, by name.
    std::vector<platform::DirectoryEntry> sandboxFolders(const QString& folder);
    QSScannedFilePtr leftoverEntry(const QString& path, const QString& fileName);
};
