#include <gtest/gtest.h>

#include <QUrl>

#include "engine/categories/ios_backup_item.h"
#include "engine/categories/ios_device_info_manager.h"
#include "platform/fakes/fake_workspace.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"

namespace {

const QString kBackups = QStringLiteral("Library/Application Support/MobileSync/Backup");

QSScannedFilePtr entryNamed(const QSScanResultPtr& result, const QString& folder) {
    for (const auto& file : result->detailArray()) {
        if (file->path().endsWith(u'/' + folder)) return file;
    }
    return nullptr;
}

QString overlayOf(const QString& badged) {
    const QString marker = QStringLiteral("&overlay=");
    return QUrl::fromPercentEncoding(badged.mid(badged.indexOf(marker) + marker.size()).toLatin1());
}

}  // namespace

TEST(IOSBackups, NamesEachBackupFromItsInfoPlist) {
    FixtureHome home;
    home.xmlPlist(kBackups + "/aaa/Info.plist", {{"Display Name", QStringLiteral("Anna's iPhone")},
                                                 {"Product Type", QStringLiteral("iPhone10,1")}});
    home.file(kBackups + "/aaa/Manifest.db", 1000);
    home.binaryPlist(kBackups + "/bbb/Info.plist", {{"Product Type", QStringLiteral("iPad8,1")}});
    home.xmlPlist(kBackups + "/ccc/Info.plist", {{"Display Name", QStringLiteral("Old")},
                                                 {"Product Type", QStringLiteral("Zune1,1")}});
    home.file(kBackups + "/ddd/Info.plist", 30);  // not a property list
    home.folder(kBackups + "/eee");               // no Info.plist at all
    home.xmlPlist(kBackups + "/fff/Info.plist", {{"Display Name", 42}});
    home.file(kBackups + "/.hidden/Info.plist", 10);
    FakePlatform fake(home.path());
    QSIOSBackupItem item;
    const QSScanResultPtr result = item.actuallyScan();
    ASSERT_EQ(result->detailArray().size(), 4);
    EXPECT_EQ(result->path(), home.abs(kBackups));

    const auto anna = entryNamed(result, "aaa");
    ASSERT_TRUE(anna);
    EXPECT_EQ(anna->fileName(), "Anna's iPhone");
    EXPECT_EQ(anna->icon(), "phone-apple-iphone");
    EXPECT_GT(anna->fileSize(), 1000u);
    EXPECT_FALSE(anna->selected());

    const auto unnamed = entryNamed(result, "bbb");
    ASSERT_TRUE(unnamed);
    EXPECT_TRUE(unnamed->fileName().isNull());
    EXPECT_EQ(unnamed->icon(), "computer-apple-ipad");
    EXPECT_GT(unnamed->fileSize(), 0u);

    const auto unknownModel = entryNamed(result, "ccc");
    ASSERT_TRUE(unknownModel);
    EXPECT_TRUE(unknownModel->icon().isEmpty());

    // A name that is not text is no name.
    ASSERT_TRUE(entryNamed(result, "fff"));
    EXPECT_TRUE(entryNamed(result, "fff")->fileName().isNull());
}

TEST(IOSBackups, WithoutTheBackupFolderIsEmptyAndDisabled) {
    FixtureHome home;
    FakePlatform fake(home.path());
    QSIOSBackupItem item;
    EXPECT_TRUE(item.path().isNull());
    QSScanResultPtr result;
    item.scanWithCompletionBlock([&](QSScanResultPtr r) { result = r; });
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->disabled());
}

TEST(IOSDeviceInfo, NormalisesSimulatorIdentifiers) {
    bool simulator = false;
    EXPECT_EQ(normalizedDeviceIdentifier("iPhone10,1;Simulator", &simulator), "iPhone10,1");
    EXPECT_TRUE(simulator);
    EXPECT_EQ(normalizedDeviceIdentifier("iPhone10,1 Simulator", &simulator), "iPhone10,1");
    EXPECT_EQ(normalizedDeviceIdentifier("iPhone10,1Simulator", &simulator), "iPhone10,1");
    EXPECT_EQ(normalizedDeviceIdentifier("iPhone10,1;;Simulator", &simulator), "iPhone10,1;");
    EXPECT_EQ(normalizedDeviceIdentifier("Simulator", &simulator), "");
    EXPECT_EQ(normalizedDeviceIdentifier("iPod7,1", &simulator), "iPod7,1");
    EXPECT_FALSE(simulator);
    EXPECT_TRUE(VRNIOSDeviceInfoManager::identifierIsUnspecificSimulator("x86_64"));
    EXPECT_TRUE(VRNIOSDeviceInfoManager::identifierIsUnspecificSimulator("i386"));
    EXPECT_FALSE(VRNIOSDeviceInfoManager::identifierIsUnspecificSimulator("arm64"));
}

TEST(IOSDeviceInfo, ChoosesTypesByColourAndRefusesUnknownModels) {
    FakePlatform fake("/home/user");
    VRNIOSDeviceInfoManager manager;
    EXPECT_EQ(manager.selectUTIForDevice("iPod7,1", QString()), "com.apple.ipod-touch-6");
    EXPECT_EQ(manager.selectUTIForDevice("Watch1,1", "5"), "com.apple.watch-38mm-5");
    EXPECT_EQ(manager.selectUTIForDevice("iPhone5,3", "#46abe0"), "com.apple.iphone-5c-46abe0");
    // A colour the model does not come in falls back to the model's own type.
    EXPECT_EQ(manager.selectUTIForDevice("iPhone5,3", "ffffff"), "com.apple.iphone-5c");
    EXPECT_TRUE(manager.selectUTIForDevice("Nokia3310,1", QString()).isNull());
    EXPECT_TRUE(manager.iconForDevice(QString(), QString()).isEmpty());
    EXPECT_TRUE(manager.iconForDevice("Nokia3310,1", "").isEmpty());
}

TEST(IOSDeviceInfo, DrawsTheFirstWatchInItsColourAndCachesIcons) {
    FakePlatform fake("/home/user");
    VRNIOSDeviceInfoManager manager;
    EXPECT_EQ(manager.iconForDevice("Watch1,1", QString()), "watch-apple-watch");
    EXPECT_EQ(manager.iconCache().objectForKey("Watch1,1:5"), "watch-apple-watch");
    EXPECT_EQ(manager.iconForDevice("iPod7,1", ""), "multimedia-player-apple-ipod-touch");
    // The second request is answered from the cache, not computed again.
    manager.iconCache().setObject("cached-icon", "iPod7,1:(null)");
    EXPECT_EQ(manager.iconForDevice("iPod7,1", QString()), "cached-icon");
    EXPECT_EQ(VRNIOSDeviceInfoManager().iconForDevice("iPod7,1", QString()),
              "multimedia-player-apple-ipod-touch");
}

TEST(IOSDeviceInfo, BadgesSimulatorsWithTheSimulatorsIcon) {
    FixtureHome home;
    FakePlatform fake(home.path());
    const QString simulator =
        home.appBundle("Applications/Simulator.app", "com.apple.iphonesimulator");
    auto workspace = std::make_shared<platform::fakes::FakeWorkspace>();
    workspace->addApplication("com.apple.iphonesimulator", simulator, "simulator-icon");
    platform::services().workspace = workspace;

    VRNIOSDeviceInfoManager manager;
    EXPECT_EQ(manager.iconForDevice("x86_64", QString()), "simulator-icon");
    const QString badged = manager.iconForDevice("iPhone10,1;Simulator", QString());
    EXPECT_TRUE(badged.startsWith("badge:?base=phone-apple-iphone&overlay="))
        << badged.toStdString();
    EXPECT_EQ(overlayOf(badged), "simulator-icon");
    // An unknown model in the simulator is the simulator's own icon.
    EXPECT_EQ(manager.iconForDevice("Nokia3310,1 Simulator", QString()), "simulator-icon");

    platform::services().workspace = std::make_shared<platform::fakes::FakeWorkspace>();
    EXPECT_EQ(VRNIOSDeviceInfoManager().iconForSimulator(), "application-x-executable");
}
