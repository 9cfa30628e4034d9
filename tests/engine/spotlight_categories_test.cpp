#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/categories/developer_item.h"
#include "engine/categories/dmg_item.h"
#include "engine/categories/ios_item.h"
#include "engine/categories/large_files_item.h"
#include "engine/categories/partial_downloads_item.h"
#include "engine/categories/screenshot_item.h"
#include "engine/disk_utilities.h"
#include "engine/scanner.h"
#include "platform/fakes/fake_metadata_search.h"
#include "platform/file_path.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"
#include "tests/support/folder_fixtures.h"
#include "tests/support/search_fixtures.h"

using namespace Qt::StringLiterals;

namespace {

QStringList namesOf(const QSScanResultPtr& result) {
    return fileNamesOf(result->detailArray());
}

bool noneSelected(const QSScanResultPtr& result) {
    for (const auto& file : result->detailArray()) {
        if (file->selected()) return false;
    }
    return true;
}

}  // namespace

TEST(SpotlightListing, KeepsTheToolsOrderDuplicatesAndBlanks) {
    FakePlatform fake("/home/user");
    auto metadata = std::make_shared<platform::fakes::FakeMetadataSearch>();
    platform::services().metadata = metadata;
    const QByteArray invalid("/h/caf\xe9");
    metadata->setOutput(
        "/h", {"q"},
        "\0/h/b\0/h/a\0/h/b\0\0/h/ends in blank \0/h/line\nfeed\0"_ba + invalid + "\0"_ba);
    EXPECT_EQ(spotlightListing("/h", {"q"}).paths,
              (QStringList{"/h/b", "/h/a", "/h/b", "/h/ends in blank ", "/h/line\nfeed",
                           platform::decodePath(invalid)}));
    EXPECT_EQ(spotlightListing("/h", {"unknown"}).paths, QStringList());
    ASSERT_EQ(metadata->searches().size(), 2);
    EXPECT_EQ(metadata->searches()[0].folder, "/h");
}

TEST(SpotlightListing, LeavesOutAnswersOutsideTheFolderAndUnfinishedOnes) {
    FakePlatform fake("/home/user");
    auto metadata = std::make_shared<platform::fakes::FakeMetadataSearch>();
    platform::services().metadata = metadata;
    const struct {
        QString folder;
        QByteArray output;
        QStringList expected;
    } cases[] = {
        // What follows the last NUL may be the start of a longer name.
        {"/h", "/h/a\0/h/a.part"_ba, {"/h/a"}},
        {"/h", "/h/b"_ba, {}},
        {"/h/Documents",
         "/h/Documents/a\0/h/Doc\0/h/Documents\0/h/Documents2/b\0/h/Documents/../x\0"
         "/h/Documents/./c\0/etc/passwd\0Documents/d\0"_ba,
         {"/h/Documents/a"}},
        {"/h/Documents/", "/h/Documents/a\0/h/Documents2/b\0"_ba, {"/h/Documents/a"}},
        {"/", "/a\0/h/b\0relative\0"_ba, {"/a", "/h/b"}},
        {QString(), "/a\0"_ba, {}},
    };
    for (const auto& c : cases) {
        metadata->setOutput(c.folder, {"q"}, c.output);
        EXPECT_EQ(spotlightListing(c.folder, {"q"}).paths, c.expected)
            << QByteArray(c.output).replace('\0', '|').toStdString();
    }
}

TEST(SpotlightCategories, PassTheirQueriesExactlyAsDesigned) {
    FixtureHome home;
    FakePlatform fake(home.path());
    auto metadata = std::make_shared<platform::fakes::FakeMetadataSearch>();
    platform::services().metadata = metadata;
    QSLargeFilesItem().findLargeFiles();
    QSDMGItem().findLargeFiles();
    QSScreenshotItem().findLargeFiles();
    QSPartialDownloadsItem().findPartialFiles();
    QSDeveloperItem().findPartialFiles();
    QSIOSItem().findPartialFiles();
    const QList<QStringList> expected = {
        {"kMDItemFSSize>=100000000  && (kMDItemKind != 'Installer package' && kMDItemKind != "
         "'Disk Image')"},
        {"kMDItemKind == 'Installer package' || kMDItemKind == 'Disk Image'"},
        {"kMDItemIsScreenCapture = 1"},
        {"kMDItemDisplayName == '*.download'", "||", "kMDItemDisplayName == '*.crdownload'", "||",
         "kMDItemDisplayName == '*.opdownload'", "||", "kMDItemDisplayName == '*.part'"},
        {"kMDItemDisplayName == '*.xcarchive'"},
        {"kMDItemDisplayName == '*.ipsw'"},
    };
    const auto searches = metadata->searches();
    ASSERT_EQ(searches.size(), expected.size());
    for (qsizetype i = 0; i < searches.size(); ++i) {
        EXPECT_EQ(searches[i].folder, home.path());
        EXPECT_EQ(searches[i].queryArguments, expected[i]);
    }
}

TEST(SpotlightCategories, AClosedPlatformGateRunsNoSearch) {
    FixtureHome home;
    home.sparseFile("big.bin", 200000000);
    SearchPlatform platform(home.path(), false);
    auto metadata = std::make_shared<platform::fakes::FakeMetadataSearch>();
    platform::services().metadata = metadata;
    const QList<std::shared_ptr<QSScanItem>> items = {
        QSLargeFilesItem::item(),       QSDMGItem::item(),       QSScreenshotItem::item(),
        QSPartialDownloadsItem::item(), QSDeveloperItem::item(), QSIOSItem::item()};
    for (const auto& item : items) {
        const QSScanResultPtr result = scanNow(item);
        EXPECT_TRUE(result->disabled()) << item->key().toStdString();
        EXPECT_TRUE(result->path().isNull());
        EXPECT_TRUE(result->detailArray().isEmpty());
        EXPECT_EQ(result->title(), item->title());
    }
    EXPECT_TRUE(metadata->searches().isEmpty());
}

// A search that failed found out nothing, though it wrote part of an answer first: its
// category fails, disabled, without entries and with the reason, and keeps its marker.
TEST(SpotlightCategories, AFailedSearchFailsTheCategoryAndListsNothing) {
    const QString reason = QStringLiteral("sweepwell-mdsearch was ended by signal 11");
    for (const SearchedCategory& category : searchedCategories()) {
        SCOPED_TRACE(category.key.toStdString());
        FixtureHome home;
        FakePlatform fake(home.path());
        const QString found = category.make(home, QStringLiteral("found"));
        fake.metadata().setAttributes(
            found, {{"kMDItemLastUsedDate", QDateTime::currentDateTimeUtc().addDays(-400)},
                    {"kMDItemCFBundleIdentifier", "org.example.searched"}});
        scanNow(category.item());
        for (const auto& search : fake.metadata().searches())
            fake.metadata().setPaths(search.folder, search.queryArguments, {found});
        const QSScanResultPtr listed = scanNow(category.item());
        ASSERT_THAT(entryPathsOf(listed->detailArray()), ::testing::Contains(found));
        EXPECT_TRUE(listed->failureReason().isNull());

        fake.metadata().setFailure(reason);
        const QSScanResultPtr failed = scanNow(category.item());
        EXPECT_EQ(failed->failureReason(), reason);
        EXPECT_TRUE(failed->disabled());
        EXPECT_TRUE(failed->detailArray().isEmpty());
        EXPECT_EQ(failed->path(), listed->path());
        EXPECT_EQ(failed->removesFiles(), listed->removesFiles());
        EXPECT_EQ(failed->title(), category.item()->title());
    }
}

TEST(LargeFiles, ListsFilesOfAtLeastTheThresholdOutsideTheLibrary) {
    FixtureHome home;
    home.sparseFile("Movies/exact.mov", 100000000);
    home.sparseFile("Movies/short.mov", 99999999);
    home.sparseFile("Movies/Screenshot_20240501_101112.png", 150000000);
    home.sparseFile("Installers/tool.dmg", 300000000);
    home.sparseFile("Installers/tool.pkg", 300000000);
    home.sparseFile("Library/Caches/huge.bin", 300000000);
    home.sparseFile("LibraryBackup/huge.bin", 300000000);
    home.sparseFile("Library.bin", 300000000);
    SearchPlatform platform(home.path());
    const QSScanResultPtr result = scanNow(QSLargeFilesItem::item());
    EXPECT_EQ(namesOf(result), (QStringList{"Screenshot_20240501_101112.png", "exact.mov"}));
    EXPECT_EQ(result->path(), kPathMarkerLarge);
    EXPECT_FALSE(result->disabled());
    EXPECT_EQ(result->totalSize(), 0u);
    EXPECT_TRUE(noneSelected(result));
    const QSScannedFilePtr exact = result->detailArray()[1];
    EXPECT_EQ(exact->path(), home.abs("Movies/exact.mov"));
    EXPECT_EQ(exact->fileSize(), 100000000u);
    EXPECT_TRUE(exact->modificationDate().isValid());
    EXPECT_TRUE(exact->attributes().value(kNSURLCreationDateKey).toDateTime().isValid());
    EXPECT_FALSE(exact->isGroup());
    EXPECT_TRUE(exact->icon().isEmpty());

    // The same capture is a screenshot too; each category lists it on its own.
    EXPECT_EQ(namesOf(scanNow(QSScreenshotItem::item())),
              QStringList{"Screenshot_20240501_101112.png"});
}

TEST(InstallerPackages, ListsDiskImagesAndInstallersWhateverTheirSize) {
    FixtureHome home;
    home.sparseFile("Downloads/big.dmg", 500000000);
    home.file("Downloads/small.iso", 10);
    home.file("Downloads/tool.pkg", 10);
    home.file("Downloads/Folder.mpkg/Contents/Archive.pax", 10);
    home.file("Downloads/notes.txt", 10);
    home.file("Library/Caches/cached.dmg", 10);
    SearchPlatform platform(home.path());
    const QSScanResultPtr result = scanNow(QSDMGItem::item());
    EXPECT_EQ(namesOf(result), (QStringList{"Folder.mpkg", "big.dmg", "small.iso", "tool.pkg"}));
    EXPECT_TRUE(noneSelected(result));
    EXPECT_EQ(result->path(), kPathMarkerLarge);
    EXPECT_EQ(result->detailArray()[0]->fileSize(), 10u);
}

TEST(LargeFiles, NothingFoundGivesADisabledResultThatDeletesNothing) {
    FixtureHome home;
    home.file("small.txt", 10);
    SearchPlatform platform(home.path());
    const QSScanResultPtr result = scanNow(QSLargeFilesItem::item());
    EXPECT_TRUE(result->disabled());
    EXPECT_EQ(result->path(), kPathMarkerLarge);
    bool success = false;
    const QSRemovedItemPtr removed = deleteNow(result, &success);
    ASSERT_TRUE(removed);
    EXPECT_TRUE(success);
    EXPECT_EQ(removed->size(), 0u);
    EXPECT_TRUE(exists(home.abs("small.txt")));
}

TEST(PartialDownloads, FindsUnfinishedDownloadsEvenInsideTheLibrary) {
    FixtureHome home;
    home.file("Downloads/movie.mkv.part", 7);
    home.file("Library/Application Support/Firefox/x.part", 5);
    home.file("Downloads/setup.crdownload", 3);
    home.file("Downloads/thing.opdownload", 2);
    home.file("Downloads/Big.zip.download/Big.zip", 1000);
    home.file("Downloads/Big.zip.download/Info.plist", 24);
    home.file("Downloads/finished.zip", 9);
    const QString odd = platform::decodePath(QByteArray("Downloads/caf\xe9.part"));
    home.file(odd, 11);
    SearchPlatform platform(home.path());
    const QSScanResultPtr result = scanNow(QSPartialDownloadsItem::item());
    EXPECT_EQ(namesOf(result),
              (QStringList{"Big.zip.download", platform::lastPathComponent(odd), "movie.mkv.part",
                           "setup.crdownload", "thing.opdownload", "x.part"}));
    // A name that is not valid UTF-8 is examined and measured like any other.
    EXPECT_EQ(result->detailArray()[1]->fileSize(), 11u);
    EXPECT_EQ(result->path(), kPathMarkerPartial);
    EXPECT_TRUE(noneSelected(result));
    EXPECT_EQ(result->detailArray()[0]->fileSize(), 1024u);
}

TEST(Developer, ListsArchivesThenDerivedData) {
    FixtureHome home;
    home.file("Archives/App 2024.xcarchive/Info.plist", 20);
    home.file("Library/Developer/Xcode/Archives/Old.xcarchive/Products/x", 30);
    home.file("Library/Developer/Xcode/DerivedData/App-abc/Build/out.o", 40);
    home.file("Library/Developer/Xcode/DerivedData/ModuleCache.noindex/m", 50);
    home.file("Library/Developer/Xcode/DerivedData/.hidden", 60);
    SearchPlatform platform(home.path());
    const QSScanResultPtr result = scanNow(QSDeveloperItem::item());
    QStringList names = namesOf(result);
    ASSERT_EQ(names.size(), 4);
    EXPECT_EQ(names.mid(0, 2), (QStringList{"App 2024.xcarchive", "Old.xcarchive"}));
    QStringList derived = names.mid(2);
    derived.sort();
    EXPECT_EQ(derived, (QStringList{"App-abc", "ModuleCache.noindex"}));
    EXPECT_EQ(result->path(), kPathMarkerDeveloper);
    EXPECT_TRUE(noneSelected(result));
    EXPECT_EQ(result->detailArray()[1]->fileSize(), 30u);
}

TEST(Developer, WithoutArchivesOrDerivedDataIsDisabled) {
    FixtureHome home;
    home.file("Archives/App.xcarchive/Info.plist", 20);
    {
        SearchPlatform platform(home.path());
        const QSScanResultPtr onlyArchives = scanNow(QSDeveloperItem::item());
        EXPECT_EQ(namesOf(onlyArchives), QStringList{"App.xcarchive"});
    }
    FixtureHome empty;
    SearchPlatform platform(empty.path());
    const QSScanResultPtr none = scanNow(QSDeveloperItem::item());
    EXPECT_TRUE(none->disabled());
    EXPECT_EQ(none->path(), kPathMarkerDeveloper);
}

TEST(IOSSoftwareUpdates, FindsFirmwareAnywhereInTheHome) {
    FixtureHome home;
    home.sparseFile("Library/iTunes/iPhone Software Updates/iPhone_17.ipsw", 6000000000);
    home.file("Downloads/iPad.ipsw", 10);
    home.file("Downloads/iPad.ipsw.txt", 10);
    SearchPlatform platform(home.path());
    const QSScanResultPtr result = scanNow(QSIOSItem::item());
    EXPECT_EQ(namesOf(result), (QStringList{"iPad.ipsw", "iPhone_17.ipsw"}));
    EXPECT_EQ(result->path(), kPathMarkerIOS);
    EXPECT_TRUE(noneSelected(result));
    EXPECT_EQ(result->detailArray()[1]->fileSize(), 6000000000u);
}

TEST(SpotlightCategories, TakeTheirPlacesInTheScannersList) {
    const QStringList table = {"application-caches",
                               "application-logs",
                               "application-leftovers",
                               "browser-cache",
                               "itunes-files",
                               "trash",
                               "ios",
                               "ios-backups",
                               "partial-downloads",
                               "downloads",
                               "mail-downloads",
                               "message-attachments",
                               "large-files",
                               "screenshots",
                               "developer",
                               "dmg",
                               "unused-apps",
                               "login-items",
                               "broken-preferences",
                               "actual-login-items"};
    QStringList keys;
    for (const auto& item : QSScanner::scanItemsWithIsSandboxed(false))
        keys.append(item->key());
    for (const char* mine : {"ios", "ios-backups", "partial-downloads", "large-files",
                             "screenshots", "developer", "dmg"}) {
        EXPECT_TRUE(keys.contains(QLatin1String(mine))) << mine;
    }
    // Whatever categories exist appear in the order of the table.
    QStringList known;
    for (const QString& key : keys) {
        if (table.contains(key)) known.append(key);
    }
    QStringList ordered = known;
    std::sort(ordered.begin(), ordered.end(), [&](const QString& a, const QString& b) {
        return table.indexOf(a) < table.indexOf(b);
    });
    EXPECT_EQ(known, ordered);
}
