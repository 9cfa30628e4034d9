#pragma once

#include <QStringList>
#include <mutex>

#include "platform/services.h"

// Stand-ins for the host services, for tests.
namespace platform::fakes {

class FakeVolumeList : public VolumeList {
public:
    explicit FakeVolumeList(QList<MountedVolume> volumes = {}) : volumes_(std::move(volumes)) {}
    QList<MountedVolume> mountedVolumes() const override { return volumes_; }

private:
    QList<MountedVolume> volumes_;
};

// Moves happen when the test says so.
class FakeFileCoordinator : public FileCoordinator {
public:
    void addFilePresenter(FilePresenter* presenter) override;
    void removeFilePresenter(FilePresenter* presenter) override;
    int presenterCount() const;
    // Tells every presenter of `from` that its file now lives at `to`.
    void simulateMove(const QString& from, const QString& to);

private:
    mutable std::recursive_mutex mutex_;
    QList<FilePresenter*> presenters_;
};

class FakeNotificationGate : public NotificationGate {
public:
    explicit FakeNotificationGate(bool available = false) : available_(available) {}
    bool hasUserNotificationCenter() const override { return available_; }

private:
    bool available_;
};

// Services for a test: the given home folder, no volumes, a fake
// coordinator, no notification centre, a workspace without applications
// (a FakeWorkspace, see fake_workspace.h), a search index that lists nothing
// (a FakeMetadataSearch, see fake_metadata_search.h), no open files, no Debian
// packages and no Flatpak system installations nor snaps (fake_flatpak_installations.h).
Services fakeServices(const QString& home);

// Files held open by the processes the test names.
class FakeOpenFiles : public OpenFiles {
public:
    explicit FakeOpenFiles(QStringList paths = {}) : paths_(std::move(paths)) {}
    QStringList openFilePaths() const override { return paths_; }

private:
    QStringList paths_;
};

// Package files and installed packages as the test sets them.
class FakeDebianPackages : public DebianPackages {
public:
    void setPackageOfFile(const QString& path, const DebianPackage& package) {
        files_.append({path, package});
    }
    void setInstalled(QList<DebianPackage> installed) { installed_ = std::move(installed); }
    std::optional<DebianPackage> packageOfFile(const QString& path) const override {
        filesRead_.append(path);
        for (const auto& [file, package] : files_) {
            if (file == path) return package;
        }
        return std::nullopt;
    }
    QList<DebianPackage> installedPackages() const override { return installed_; }
    // The files whose control fields were asked for.
    const QStringList& filesRead() const { return filesRead_; }

private:
    QList<std::pair<QString, DebianPackage>> files_;
    mutable QStringList filesRead_;
    QList<DebianPackage> installed_;
};

}  // namespace platform::fakes
