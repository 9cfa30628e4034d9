#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "platform/debian_packages.h"
#include "platform/flatpak_installations.h"
#include "platform/login_items.h"
#include "platform/metadata_search.h"
#include "platform/open_files.h"
#include "platform/privileged_removal.h"
#include "platform/workspace.h"

// The host services the engine calls on, each behind a small interface with a Linux
// implementation (the defaults of services()) and fakes for tests (platform/fakes).
namespace platform {

class HomeFolder {
public:
    virtual ~HomeFolder() = default;
    // The process's home folder as the system reports it.
    virtual QString homeDirectory() const = 0;
};

struct MountedVolume {
    QString path;
    std::optional<QString> name;  // empty when the volume's name cannot be read
};

class VolumeList {
public:
    virtual ~VolumeList() = default;
    virtual QList<MountedVolume> mountedVolumes() const = 0;
};

// Something that wants to learn when the file at its path is moved.
class FilePresenter {
public:
    virtual ~FilePresenter() = default;
    virtual QString presentedItemPath() const = 0;
    // Called on the main thread.
    virtual void presentedItemDidMoveTo(const QString& newPath) = 0;
};

class FileCoordinator {
public:
    virtual ~FileCoordinator() = default;
    virtual void addFilePresenter(FilePresenter* presenter) = 0;
    // Safe to call for a presenter that was never added, and from any thread.
    virtual void removeFilePresenter(FilePresenter* presenter) = 0;
};

// Whether the desktop offers user notifications at all.
class NotificationGate {
public:
    virtual ~NotificationGate() = default;
    virtual bool hasUserNotificationCenter() const = 0;
};

struct Services {
    std::shared_ptr<HomeFolder> homeFolder;
    std::shared_ptr<VolumeList> volumes;
    std::shared_ptr<FileCoordinator> fileCoordinator;
    std::shared_ptr<NotificationGate> notificationGate;
    std::shared_ptr<Workspace> workspace;
    std::shared_ptr<MetadataSearch> metadata;
    std::shared_ptr<SessionLoginItems> loginItems;
    std::shared_ptr<UserJobs> userJobs;
    std::shared_ptr<LaunchControl> launchControl;
    std::shared_ptr<OpenFiles> openFiles;
    std::shared_ptr<DebianPackages> debianPackages;
    // Null where nothing can run our helper as administrator.
    std::shared_ptr<PrivilegedRemover> privilegedRemover;
    std::shared_ptr<FlatpakInstallations> flatpak;
    std::shared_ptr<UserServices> userServices;
};

// The services in use. Set them up before work starts (the CLI and tests do); the
// engine only reads them afterwards.
Services& services();
Services linuxServices();
// Points the services in use at another home folder and, for the searches of the whole
// disk and the folders of Flatpak and Snap, at another root folder; a null path keeps the
// machine's own.
void useFolders(const QString& home, const QString& systemRoot);

// Calls `observer` each time ScopedServices swaps the services in or out, on the thread
// that swapped them: what is derived from the services (the engine's home-folder
// locations) is then recomputed by its owner, not by hand at every swap.
void observeServiceChanges(std::function<void()> observer);

// Swaps in other services for the life of the object, then restores the previous ones.
class ScopedServices {
public:
    explicit ScopedServices(Services replacement);
    ~ScopedServices();
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

private:
    Services saved_;
};

// Reports a fixed folder as the home folder (sweepwell-cli --home, tests).
class FixedHomeFolder : public HomeFolder {
public:
    explicit FixedHomeFolder(QString path) : path_(std::move(path)) {}
    QString homeDirectory() const override { return path_; }

private:
    QString path_;
};

}  // namespace platform
