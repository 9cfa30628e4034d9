#include <gtest/gtest.h>

#include "engine/categories/downloads_item.h"
#include "engine/categories/itunes_item.h"
#include "engine/categories/message_attachments_item.h"
#include "engine/categories/trash_item.h"
#include "engine/disk_utilities.h"
#include "platform/file_path.h"
#include "tests/support/folder_fixtures.h"

namespace {

const QString kCloudTrash = QStringLiteral("Library/Mobile Documents/com~apple~CloudDocs/.Trash");
const QString kCloudStorageTrash = QStringLiteral("Library/CloudStorage/iCloud Drive/.Trash");

class TrashAndDownloadsTest : public ::testing::Test {
protected:
    FolderFixture fixture;
    FixtureHome& home = fixture.home();
};

TEST_F(TrashAndDownloadsTest, TrashPrefersTheUsersOwnFolderAndListsCloudTrashAfterIt) {
    const QString uidTrash =
        QStringLiteral(".Trash/%1").arg(QSDiskUtilities::sharedInstance().uid());
    home.file(uidTrash + QStringLiteral("/old.txt"), 3);
    home.file(uidTrash + QStringLiteral("/.DS_Store"), 3);
    home.file(QStringLiteral(".Trash/beside.txt"), 3);
    home.file(kCloudStorageTrash + QStringLiteral("/storage.txt"), 2);
    home.file(kCloudTrash + QStringLiteral("/drive.txt"), 1);

    const auto result = fixture.scan(QSTrashItem::item());

    EXPECT_EQ(fileNamesOf(result->detailArray()),
              QStringList({QStringLiteral("old.txt"), QStringLiteral("drive.txt"),
                           QStringLiteral("storage.txt")}));
    EXPECT_EQ(result->path(), home.abs(uidTrash));
    for (const auto& file : result->detailArray())
        EXPECT_TRUE(file->selected());
}

TEST_F(TrashAndDownloadsTest, TrashWithoutAUidFolderIsTheHomesTrash) {
    home.file(QStringLiteral(".Trash/thrown away"), 3);
    const auto result = fixture.scan(QSTrashItem::item());
    EXPECT_EQ(result->path(), home.abs(QStringLiteral(".Trash")));
    EXPECT_EQ(fileNamesOf(result->detailArray()), QStringList({QStringLiteral("thrown away")}));
}

TEST_F(TrashAndDownloadsTest, CloudTrashWithoutTheUsersTrashIsListedAndItsSelectionRemoved) {
    const QString drive = home.file(kCloudTrash + QStringLiteral("/drive.txt"), 5);

    const auto result = fixture.scan(QSTrashItem::item());
    ASSERT_EQ(entryPathsOf(result->detailArray()), QStringList({drive}));
    EXPECT_TRUE(result->path().isNull());

    // A result without a folder of its own still removes what the user selected.
    const auto removed = deleteNow(result);
    EXPECT_EQ(removed->size(), 5u);
    EXPECT_FALSE(exists(drive));
}

TEST_F(TrashAndDownloadsTest, DownloadsStartDeselectedAndMeasureFoldersInFull) {
    home.file(QStringLiteral("Downloads/setup.bin"), 10);
    home.file(QStringLiteral("Downloads/album/one.flac"), 20);
    home.file(QStringLiteral("Downloads/album/.cover.jpg"), 30);

    const auto result = fixture.scan(QSDownloadsItem::item());

    ASSERT_EQ(result->detailArray().size(), 2);
    for (const auto& file : result->detailArray()) {
        EXPECT_FALSE(file->selected());
        EXPECT_EQ(file->fileSize(), file->fileName() == QStringLiteral("album") ? 50u : 10u);
    }
}

TEST_F(TrashAndDownloadsTest, MediaFoldersAreFoundWhateverTheCaseOfTheirNames) {
    EXPECT_TRUE(fixture.scan(QSiTunesItem::item())->disabled());

    home.file(QStringLiteral("Music/iTunes/Previous iTunes Libraries/iTunes Library 2019.itl"), 8);
    home.file(QStringLiteral("Library/iTunes/iPhone Software Updates/iPhone.ipsw"), 9);
    const auto result = fixture.scan(QSiTunesItem::item());

    EXPECT_EQ(
        fileNamesOf(result->detailArray()),
        QStringList({QStringLiteral("iPhone.ipsw"), QStringLiteral("iTunes Library 2019.itl")}));
    EXPECT_EQ(result->path(), kPathMarkerLarge);
}

TEST_F(TrashAndDownloadsTest, AttachmentsAreEveryVisibleFileAtAnyDepthExceptPackages) {
    const QString deep =
        home.file(QStringLiteral("Library/Messages/Attachments/0a/10/GUID-1/IMG_0001.HEIC"), 1234);
    home.file(QStringLiteral("Library/Messages/Attachments/0a/10/GUID-2/Pages.pages/Index.zip"),
              50);
    home.file(QStringLiteral("Library/Messages/Attachments/0a/.hidden/secret.jpg"), 50);
    home.file(QStringLiteral("Library/Messages/Attachments/0a/.DS_Store"), 50);
    const QString top = home.file(QStringLiteral("Library/Messages/Attachments/top.txt"), 3);

    const auto result = fixture.scan(QSMessageAttachmentsItem::item());

    QStringList paths = entryPathsOf(result->detailArray());
    paths.sort();
    EXPECT_EQ(paths, QStringList({deep, top}));
    for (const auto& file : result->detailArray()) {
        EXPECT_TRUE(file->selected());
        EXPECT_FALSE(file->modificationDate().isValid());
        EXPECT_EQ(file->fileSize(), file->path() == deep ? 1234u : 3u);
        EXPECT_EQ(file->attributes().value(kNSURLFileSizeKey).toULongLong(), file->fileSize());
        EXPECT_FALSE(file->attributes().value(kNSURLIsDirectoryKey).toBool());
        EXPECT_TRUE(
            file->attributes().value(kNSURLContentModificationDateKey).toDateTime().isValid());
    }
    EXPECT_EQ(result->path(), home.abs(QStringLiteral("Library/Messages/Attachments")));

    const auto removed = deleteNow(result);
    EXPECT_EQ(removed->size(), 1237u);
    EXPECT_FALSE(exists(deep));
    // Files go one by one; the folders stay.
    EXPECT_TRUE(exists(home.abs(QStringLiteral("Library/Messages/Attachments/0a/10/GUID-1"))));
}

TEST_F(TrashAndDownloadsTest, AttachmentNamesThatAreNotUtf8AreListedAndRemoved) {
    const QString odd =
        platform::decodePath(QByteArray("Library/Messages/Attachments/ab/caf\xe9\n.jpg"));
    const QString path = home.file(odd, 7);
    const QString oddFolder =
        platform::decodePath(QByteArray("Library/Messages/Attachments/\xff\xfe/r\xe9sum\xe9.pdf"));
    const QString inOddFolder = home.file(oddFolder, 5);

    const auto result = fixture.scan(QSMessageAttachmentsItem::item());

    ASSERT_EQ(entryPathsOf(result->detailArray()), QStringList({path, inOddFolder}));
    EXPECT_EQ(result->detailArray().first()->fileSize(), 7u);
    EXPECT_EQ(result->detailArray().last()->fileSize(), 5u);
    EXPECT_TRUE(deleteNow(result)->failedFiles().isEmpty());
    EXPECT_FALSE(exists(path));
    EXPECT_FALSE(exists(inOddFolder));
}

TEST_F(TrashAndDownloadsTest, LinkedAttachmentsFolderIsNotWalked) {
    const QString outside = home.file(QStringLiteral("Elsewhere/photo.jpg"), 7);
    home.folder(QStringLiteral("Library/Messages"));
    home.symlink(QStringLiteral("Library/Messages/Attachments"),
                 home.abs(QStringLiteral("Elsewhere")));

    const auto result = fixture.scan(QSMessageAttachmentsItem::item());

    EXPECT_TRUE(result->disabled());
    EXPECT_TRUE(exists(outside));
}

}  // namespace
