#include <gtest/gtest.h>

#include "engine/categories/application_caches_item.h"
#include "engine/categories/application_logs_item.h"
#include "engine/categories/browser_item.h"
#include "engine/categories/mail_downloads_item.h"
#include "tests/support/folder_fixtures.h"

namespace {

QSScannedFilePtr named(const QSScanResultPtr& result, const QString& name) {
    for (const auto& file : result->detailArray()) {
        if (file->fileName() == name) return file;
    }
    return nullptr;
}

class CacheCategoriesTest : public ::testing::Test {
protected:
    FolderFixture fixture;
    FixtureHome& home = fixture.home();
};

TEST_F(CacheCategoriesTest, CachesHonourTheIgnoreAndUncheckedListsAndTheApplePrefix) {
    home.file(QStringLiteral("Library/Caches/com.example.Editor/blob"), 100);
    home.file(QStringLiteral("Library/Caches/Google/Chrome/data"), 10);
    home.file(QStringLiteral("Library/Caches/com.apple.mail/x"), 10);
    home.file(QStringLiteral("Library/Caches/com.apple.Safari/x"), 10);
    home.file(QStringLiteral("Library/Caches/com.spotify.client/data"), 30);
    home.file(QStringLiteral("Library/Caches/.hidden"), 5);

    const auto result = fixture.scan(QSApplicationCachesItem::item());

    EXPECT_EQ(fileNamesOf(result->detailArray()).size(), 2);
    const auto editor = named(result, QStringLiteral("com.example.Editor"));
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->selected());
    EXPECT_FALSE(editor->hasSelectedOverride());
    EXPECT_EQ(editor->fileSize(), 100u);
    EXPECT_TRUE(editor->modificationDate().isValid());
    const auto spotify = named(result, QStringLiteral("com.spotify.client"));
    ASSERT_TRUE(spotify);
    EXPECT_FALSE(spotify->selected());
    EXPECT_TRUE(spotify->hasSelectedOverride());
    EXPECT_EQ(result->path(), home.abs(QStringLiteral("Library/Caches")));
}

TEST_F(CacheCategoriesTest, CacheAndLogFoldersNamedAfterAnInstalledApplicationShowItsIcon) {
    const QString bundle =
        fixture.installApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
    home.file(QStringLiteral("Library/Caches/com.example.Editor/blob"), 1);
    home.file(QStringLiteral("Library/Caches/com.example.Gone/blob"), 1);
    home.file(QStringLiteral("Library/Logs/com.example.Editor/today.log"), 1);
    home.file(QStringLiteral("Library/Logs/system.log"), 1);

    const auto caches = fixture.scan(QSApplicationCachesItem::item());
    const auto logs = fixture.scan(QSApplicationLogsItem::item());

    EXPECT_EQ(named(caches, QStringLiteral("com.example.Editor"))->icon(),
              FolderFixture::applicationIcon(bundle));
    EXPECT_TRUE(named(caches, QStringLiteral("com.example.Gone"))->icon().isEmpty());
    EXPECT_EQ(named(logs, QStringLiteral("com.example.Editor"))->icon(),
              FolderFixture::applicationIcon(bundle));
    EXPECT_TRUE(named(logs, QStringLiteral("system.log"))->icon().isEmpty());
    EXPECT_EQ(logs->detailArray().size(), 2);
}

TEST_F(CacheCategoriesTest, ContainerCachesFollowTheFolderEntriesUnderTheContainersName) {
    home.file(QStringLiteral("Library/Caches/com.example.Plain/x"), 1);
    home.file(QStringLiteral("Library/Containers/com.example.Notes/Data/Library/Caches/c"), 40);
    home.folder(QStringLiteral("Library/Containers/com.example.Empty/Data/Library"));
    home.file(QStringLiteral("Library/Containers/com.apple.Maps/Data/Library/Caches/c"), 1);
    home.file(QStringLiteral("Library/Containers/Google/Data/Library/Caches/c"), 1);
    // Containers link Data's folders elsewhere; a cache reached that way is not the
    // container's own.
    home.file(QStringLiteral("Elsewhere/Library/Caches/precious"), 1);
    home.folder(QStringLiteral("Library/Containers/com.example.Linked"));
    home.symlink(QStringLiteral("Library/Containers/com.example.Linked/Data"),
                 home.abs(QStringLiteral("Elsewhere")));

    const auto result = fixture.scan(QSApplicationCachesItem::item());

    ASSERT_EQ(
        fileNamesOf(result->detailArray()),
        QStringList({QStringLiteral("com.example.Plain"), QStringLiteral("com.example.Notes")}));
    const auto notes = result->detailArray().last();
    EXPECT_EQ(notes->path(),
              home.abs(QStringLiteral("Library/Containers/com.example.Notes/Data/Library/Caches")));
    EXPECT_FALSE(notes->modificationDate().isValid());
    EXPECT_TRUE(notes->attributes().isEmpty());
    EXPECT_EQ(notes->fileSize(), 40u);

    deleteNow(result);
    EXPECT_FALSE(exists(notes->path()));
    EXPECT_TRUE(
        exists(home.abs(QStringLiteral("Library/Containers/com.example.Notes/Data/Library"))));
    EXPECT_TRUE(exists(home.abs(QStringLiteral("Elsewhere/Library/Caches/precious"))));
}

TEST_F(CacheCategoriesTest, MissingCachesFolderGivesAnEmptyDisabledResultWithoutContainers) {
    home.file(QStringLiteral("Library/Containers/com.example.Notes/Data/Library/Caches/c"), 40);
    const auto result = fixture.scan(QSApplicationCachesItem::item());
    EXPECT_TRUE(result->disabled());
    EXPECT_TRUE(result->detailArray().isEmpty());
    EXPECT_TRUE(result->path().isNull());
}

TEST_F(CacheCategoriesTest, InstalledSafariWithOnlyItsCacheFileGivesOneGroupOfOneEntry) {
    const QString safari =
        fixture.installApplication(QStringLiteral("com.apple.Safari"), QStringLiteral("Safari"));
    home.file(QStringLiteral("Library/Caches/com.apple.Safari/Cache.db"), 70);
    // Chrome's folders do not count while Chrome is not installed.
    home.file(QStringLiteral("Library/Caches/Google/Chrome/Default/Cache/data_0"), 5);

    const auto result = fixture.scan(QSBrowserItem::item());

    ASSERT_EQ(result->detailArray().size(), 1);
    const auto group = result->detailArray().first();
    EXPECT_EQ(group->fileName(), QStringLiteral("Safari"));
    EXPECT_EQ(group->icon(), FolderFixture::applicationIcon(safari));
    EXPECT_TRUE(group->isGroup());
    EXPECT_FALSE(group->selected());
    EXPECT_TRUE(group->path().isNull());
    ASSERT_EQ(group->files().size(), 1);
    EXPECT_EQ(group->files().first()->path(),
              home.abs(QStringLiteral("Library/Caches/com.apple.Safari/Cache.db")));
    EXPECT_TRUE(group->files().first()->selected());
    EXPECT_EQ(group->fileSize(), 70u);
    EXPECT_EQ(result->path(), kPathMarkerLarge);
}

TEST_F(CacheCategoriesTest, NoInstalledBrowserGivesADisabledResultWhoseDeletionRemovesNothing) {
    home.file(QStringLiteral("Library/Caches/Firefox/profile/cache2"), 5);
    const auto result = fixture.scan(QSBrowserItem::item());
    EXPECT_TRUE(result->disabled());
    const auto removed = deleteNow(result);
    EXPECT_EQ(removed->size(), 0u);
    EXPECT_TRUE(exists(home.abs(QStringLiteral("Library/Caches/Firefox/profile/cache2"))));
}

TEST_F(CacheCategoriesTest, InstalledBrowserWithNothingCachedGivesNoGroup) {
    fixture.installApplication(QStringLiteral("org.mozilla.firefox"), QStringLiteral("Firefox"));
    home.folder(QStringLiteral("Library/Caches/Firefox"));
    EXPECT_TRUE(fixture.scan(QSBrowserItem::item())->detailArray().isEmpty());
}

TEST_F(CacheCategoriesTest, SelectedChromeGroupDeletesEveryEntryWhateverTheirOwnSelection) {
    fixture.installApplication(QStringLiteral("com.google.Chrome"),
                               QStringLiteral("Google Chrome"));
    const QString chrome = QStringLiteral("Library/Application Support/Google/Chrome/Default/");
    home.file(chrome + QStringLiteral("Local Storage/leveldb"), 3);
    home.file(chrome + QStringLiteral("IndexedDB/https_example.org_0.indexeddb.leveldb"), 4);
    home.file(QStringLiteral("Library/Caches/Google/Chrome/Default/Cache/data_1"), 5);
    home.file(QStringLiteral("Library/Caches/Google/Chrome/Default/Media Cache/f_0001"), 6);
    home.file(chrome + QStringLiteral("Bookmarks"), 7);

    const auto result = fixture.scan(QSBrowserItem::item());
    ASSERT_EQ(result->detailArray().size(), 1);
    const auto group = result->detailArray().first();
    EXPECT_EQ(fileNamesOf(group->files()),
              QStringList({QStringLiteral("leveldb"),
                           QStringLiteral("https_example.org_0.indexeddb.leveldb"),
                           QStringLiteral("data_1"), QStringLiteral("f_0001")}));
    EXPECT_EQ(group->fileSize(), 18u);
    group->files().first()->setSelected(false);
    group->setSelected(true);

    const auto removed = deleteNow(result);

    EXPECT_EQ(removed->size(), 18u);
    EXPECT_EQ(removed->files()->size(), 4);
    EXPECT_FALSE(exists(home.abs(chrome + QStringLiteral("Local Storage/leveldb"))));
    EXPECT_TRUE(exists(home.abs(chrome + QStringLiteral("Local Storage"))));
    EXPECT_TRUE(exists(home.abs(chrome + QStringLiteral("Bookmarks"))));
}

TEST_F(CacheCategoriesTest, MailCachesFallBackToTheMailContainersDownloads) {
    home.file(
        QStringLiteral("Library/Containers/com.apple.mail/Data/Library/Mail Downloads/invoice.pdf"),
        9);
    auto result = fixture.scan(QSMailDownloadsItem::item());
    EXPECT_EQ(fileNamesOf(result->detailArray()), QStringList({QStringLiteral("invoice.pdf")}));
    EXPECT_EQ(
        result->path(),
        home.abs(QStringLiteral("Library/Containers/com.apple.mail/Data/Library/Mail Downloads")));

    home.file(QStringLiteral("Library/Mail Downloads/photo.jpg"), 2);
    result = fixture.scan(QSMailDownloadsItem::item());
    EXPECT_EQ(fileNamesOf(result->detailArray()), QStringList({QStringLiteral("photo.jpg")}));
}

}  // namespace
