#include "tests/support/folder_fixtures.h"

#include <gtest/gtest.h>
#include <atomic>

#include "engine/disk_utilities.h"
#include "platform/file_path.h"

FolderFixture::FolderFixture() : platform_(home_.path()) {}

platform::fakes::FakeWorkspace& FolderFixture::workspace() {
    return static_cast<platform::fakes::FakeWorkspace&>(*platform::services().workspace);
}

QString FolderFixture::library(const QString& relative) const {
    return home_.abs(QStringLiteral("Library/") + relative);
}

QString FolderFixture::installApplication(const QString& bundleIdentifier, const QString& name) {
    const QString relative = QStringLiteral("Applications/%1.app").arg(name);
    const QString bundle =
        home_.appBundle(relative, bundleIdentifier,
                        {{QStringLiteral("CFBundleIconFile"), QStringLiteral("AppIcon")}});
    home_.file(relative + QStringLiteral("/Contents/Resources/AppIcon.icns"), 16);
    workspace().addApplication(bundleIdentifier, bundle, applicationIcon(bundle));
    return bundle;
}

QString FolderFixture::applicationIcon(const QString& bundlePath) {
    return platform::appendPathComponent(bundlePath,
                                         QStringLiteral("Contents/Resources/AppIcon.icns"));
}

QString FolderFixture::container(const QString& folderName) {
    return home_.folder(QStringLiteral("Library/Containers/") + folderName);
}

QString FolderFixture::sandboxedContainer(const QString& folderName, const QString& bundlePath,
                                          const QString& bundleIdentifier) {
    const QString path = container(folderName);
    QVariantMap parameters;
    if (!bundlePath.isNull()) parameters.insert(QStringLiteral("application_bundle"), bundlePath);
    if (!bundleIdentifier.isNull()) {
        parameters.insert(QStringLiteral("application_bundle_id"), bundleIdentifier);
    }
    const QVariantMap validation{
        {QStringLiteral("SandboxProfileDataValidationParametersKey"), parameters}};
    home_.binaryPlist(QStringLiteral("Library/Containers/%1/Container.plist").arg(folderName),
                      {{QStringLiteral("SandboxProfileDataValidationInfo"), validation}});
    return path;
}

QSScanResultPtr FolderFixture::scan(const std::shared_ptr<QSScanItem>& item) {
    QSDiskUtilities::sharedInstance().updatePaths();
    return scanNow(item);
}

// The blocks run on the category's queue: each flag publishes what was stored before it.
QSScanResultPtr scanNow(const std::shared_ptr<QSScanItem>& item) {
    auto result = std::make_shared<QSScanResultPtr>();
    auto done = std::make_shared<std::atomic<bool>>(false);
    item->scanWithCompletionBlock([=](QSScanResultPtr r) {
        *result = std::move(r);
        done->store(true);
    });
    EXPECT_TRUE(waitUntil([&] { return done->load(); }));
    return done->load() ? *result : nullptr;
}

QSRemovedItemPtr deleteNow(const QSScanResultPtr& result, bool* success) {
    struct Outcome {
        bool success = false;
        QSRemovedItemPtr removed;
        std::atomic<bool> done{false};
    };
    auto outcome = std::make_shared<Outcome>();
    result->deleteWithCompletionBlock([=](bool ok, QSRemovedItemPtr item) {
        outcome->success = ok;
        outcome->removed = std::move(item);
        outcome->done.store(true);
    });
    EXPECT_TRUE(waitUntil([&] { return outcome->done.load(); }));
    if (!outcome->done.load()) return nullptr;
    if (success) *success = outcome->success;
    return outcome->removed;
}

QStringList fileNamesOf(const QList<QSScannedFilePtr>& files) {
    QStringList names;
    for (const auto& file : files)
        names.append(file->fileName());
    return names;
}

QStringList entryPathsOf(const QList<QSScannedFilePtr>& files) {
    QStringList paths;
    for (const auto& file : files)
        paths.append(file->path());
    return paths;
}
