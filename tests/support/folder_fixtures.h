#pragma once

#include <QStringList>
#include <QVariantMap>
#include <memory>

#include "engine/scan_model.h"
#include "platform/fakes/fake_workspace.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"

// A fixture home under fake host services whose workspace knows exactly the applications
// the test installs.
class FolderFixture {
public:
    FolderFixture();

    FixtureHome& home() { return home_; }
    platform::fakes::FakeWorkspace& workspace();
    // home/Library/relative
    QString library(const QString& relative) const;

    // ~/Applications/<name>.app with an Info.plist and an icon, known to the workspace
    // with that icon (returned by applicationIcon). Returns the bundle's path.
    QString installApplication(const QString& bundleIdentifier, const QString& name);
    static QString applicationIcon(const QString& bundlePath);

    // Library/Containers/<folderName>, with a Container.plist naming the application's
    // bundle and identifier as the sandbox writes it (a null value leaves its key out).
    QString container(const QString& folderName);
    QString sandboxedContainer(const QString& folderName, const QString& bundlePath,
                               const QString& bundleIdentifier);

    // Recomputes the locations (folders made since are seen), scans and waits.
    QSScanResultPtr scan(const std::shared_ptr<QSScanItem>& item);

private:
    FixtureHome home_;
    FakePlatform platform_;
};

// Scans the category and waits for its result; null when none came in time.
QSScanResultPtr scanNow(const std::shared_ptr<QSScanItem>& item);
// Deletes the result's selection and waits for the removed item and the success flag.
QSRemovedItemPtr deleteNow(const QSScanResultPtr& result, bool* success = nullptr);

// The entries' file names and paths, in order.
QStringList fileNamesOf(const QList<QSScannedFilePtr>& files);
QStringList entryPathsOf(const QList<QSScannedFilePtr>& files);
