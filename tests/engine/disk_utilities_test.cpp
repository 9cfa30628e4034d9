#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include "engine/disk_utilities.h"
#include "platform/file_path.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"

namespace {

QSDiskUtilities& disk() {
    return QSDiskUtilities::sharedInstance();
}

QString homeFor(const QString& reported, QList<platform::MountedVolume> volumes = {}) {
    FakePlatform platform(reported, std::move(volumes));
    return disk().homeDirectoryPath();
}

TEST(HomeFolderRule, OnlyAContainerHomeIsCutBackToTheRealHome) {
    EXPECT_EQ(homeFor(QStringLiteral("/Users/name/Library/Containers/com.x.y/Data")),
              u"/Users/name");
    EXPECT_EQ(homeFor(QStringLiteral("/Users/name")), u"/Users/name");
    // A Linux home deeper than two components stays whole, inside a container or not.
    EXPECT_EQ(homeFor(QStringLiteral("/srv/home/alice")), u"/srv/home/alice");
    EXPECT_EQ(homeFor(QStringLiteral("/srv/home/alice/Library/Containers/id/Data")),
              u"/srv/home/alice");
    EXPECT_EQ(homeFor(QStringLiteral("/home/bob/")), u"/home/bob");
}

TEST(HomeFolderRule, VolumePrefixesMatchWholeNamesOnly) {
    const QList<platform::MountedVolume> volumes = {
        {QStringLiteral("/"), std::nullopt},
        {QStringLiteral("/Volumes/Disk"), QStringLiteral("Disk")},
    };
    EXPECT_EQ(homeFor(QStringLiteral("/Volumes/Disk/Users/name"), volumes), u"/Users/name");
    EXPECT_EQ(homeFor(QStringLiteral("/Volumes/Disk2/Users/name"), volumes),
              u"/Volumes/Disk2/Users/name");
}

TEST(HomeFolderRule, TheHomeFolderIsLogged) {
    FakePlatform platform(QStringLiteral("/home/carol"));
    EXPECT_TRUE(
        platform.log().lines().contains(QStringLiteral("[DEBUG] Home Directory is: /home/carol")));
}

// Whatever swaps in other services gets the engine's locations under the home they
// report, and the previous ones back when it ends, with no recomputing by hand.
TEST(Locations, FollowEverySwapOfTheServices) {
    FakePlatform outer(QStringLiteral("/home/outer"));
    {
        platform::ScopedServices inner(
            platform::fakes::fakeServices(QStringLiteral("/home/inner")));
        EXPECT_EQ(disk().homeDirectoryPath(), u"/home/inner");
        EXPECT_EQ(disk().libraryDirectoryPath(), u"/home/inner/Library");
    }
    EXPECT_EQ(disk().homeDirectoryPath(), u"/home/outer");
}

TEST(Locations, ExistingFoldersAreFoundAndMissingOnesAreNull) {
    FixtureHome home;
    home.folder(QStringLiteral("Library/Caches"));
    home.folder(QStringLiteral("Library/Developer/Xcode/DerivedData"));
    FakePlatform platform(home.path());
    EXPECT_EQ(disk().libraryDirectoryPath(), home.abs(QStringLiteral("Library")));
    EXPECT_EQ(disk().applicationCachesPath(), home.abs(QStringLiteral("Library/Caches")));
    EXPECT_EQ(disk().derivedDataPath(),
              home.abs(QStringLiteral("Library/Developer/Xcode/DerivedData")));
    EXPECT_TRUE(disk().applicationLogsPath().isNull());
    EXPECT_TRUE(disk().downloadsPath().isNull());
    EXPECT_TRUE(disk().trashPath().isNull());
    EXPECT_EQ(disk().libraryPathWithComponent(QStringLiteral("Logs")),
              home.abs(QStringLiteral("Library/Logs")));
}

TEST(Locations, TheTrashPrefersTheFolderOfTheUsersId) {
    FixtureHome home;
    home.folder(QStringLiteral(".Trash"));
    {
        FakePlatform platform(home.path());
        EXPECT_EQ(disk().trashPath(), home.abs(QStringLiteral(".Trash")));
    }
    home.folder(QStringLiteral(".Trash/%1").arg(getuid()));
    FakePlatform platform(home.path());
    EXPECT_EQ(disk().trashPath(), home.abs(QStringLiteral(".Trash/%1").arg(getuid())));
}

TEST(Uid, IsTheNumericIdOfTheCurrentUser) {
    EXPECT_EQ(disk().uid(), qint64(getuid()));
}

TEST(Size, FoldersCountHiddenFilesAndPackageContentButNotLinkTargets) {
    FixtureHome home;
    home.file(QStringLiteral("f/.hidden"), 10);
    home.file(QStringLiteral("f/App.app/Contents/MacOS/App"), 100);
    home.file(QStringLiteral("f/sub/deeper/x"), 1000);
    home.file(QStringLiteral("big"), 5000);
    home.symlink(QStringLiteral("f/link"), home.abs(QStringLiteral("big")));
    home.folder(QStringLiteral("empty"));
    const quint64 linkSize = quint64(home.abs(QStringLiteral("big")).toUtf8().size());
    EXPECT_EQ(disk().fileSizeForPath(home.abs(QStringLiteral("f"))), 1110 + linkSize);
    EXPECT_EQ(disk().fileSizeForPath(home.abs(QStringLiteral("empty"))), 0u);
    EXPECT_EQ(disk().fileSizeForPath(home.abs(QStringLiteral("missing"))), 0u);
    EXPECT_EQ(disk().fileSizeForPath(QString()), 0u);
    home.symlink(QStringLiteral("to-folder"), home.abs(QStringLiteral("f")));
    // A link to a folder measures as the link itself.
    EXPECT_EQ(disk().fileSizeForPath(home.abs(QStringLiteral("to-folder"))),
              quint64(home.abs(QStringLiteral("f")).toUtf8().size()));
}

class RemovalRuleTest : public ::testing::Test {
protected:
    FixtureHome home_;
    FakePlatform platform_{home_.path()};
};

TEST_F(RemovalRuleTest, AMissingPathFailsWithCode4AndTouchesNothing) {
    platform::Error error;
    EXPECT_FALSE(disk().removeItemAtPath(home_.abs(QStringLiteral("gone")), false, &error));
    EXPECT_EQ(error.code, platform::Error::kFileNoSuchFile);
    EXPECT_EQ(error.domain, platform::Error::Domain::Cocoa);
}

TEST_F(RemovalRuleTest, KeepingTheContainingFolderLeavesItEmpty) {
    home_.file(QStringLiteral("c/a"), 1);
    home_.file(QStringLiteral("c/sub/b"), 1);
    EXPECT_TRUE(disk().removeItemAtPath(home_.abs(QStringLiteral("c")), true, nullptr));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("c"))));
    EXPECT_FALSE(exists(home_.abs(QStringLiteral("c/sub"))));
    EXPECT_TRUE(disk().removeItemAtPath(home_.abs(QStringLiteral("c")), false, nullptr));
    EXPECT_FALSE(exists(home_.abs(QStringLiteral("c"))));
}

TEST_F(RemovalRuleTest, ALockedEntryKeepsTheFolderAndReports513) {
    home_.file(QStringLiteral("c/a"), 1);
    home_.file(QStringLiteral("c/frozen"), 1);
    if (!home_.setImmutable(QStringLiteral("c/frozen"), true))
        GTEST_SKIP() << "no immutable files here";
    platform::Error error;
    const bool removed = disk().removeItemAtPath(home_.abs(QStringLiteral("c")), false, &error);
    home_.setImmutable(QStringLiteral("c/frozen"), false);
    EXPECT_FALSE(removed);
    EXPECT_EQ(error.code, platform::Error::kFileWriteNoPermission);
    EXPECT_FALSE(exists(home_.abs(QStringLiteral("c/a"))));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("c"))));
    const QString line =
        QStringLiteral("[DEBUG][D] Could not delete file at '%1' because of error: ")
            .arg(home_.abs(QStringLiteral("c/frozen")));
    ASSERT_EQ(platform_.log().lines().filter(QStringLiteral("[DEBUG][D]")).size(), 1);
    EXPECT_TRUE(
        platform_.log().lines().filter(QStringLiteral("[DEBUG][D]")).first().startsWith(line));
}

// A folder left in part answers with its entry's own reason: on a read-only drive no
// rights would help, so it must not read as a question of permissions.
TEST_F(RemovalRuleTest, AFolderOnAReadOnlyDriveReportsReadOnlyNotPermissions) {
    const QByteArray drive = platform::encodePath(home_.folder(QStringLiteral("drive")));
    if (mount("tmpfs", drive.constData(), "tmpfs", 0, nullptr) != 0)
        GTEST_SKIP() << "mounting is not permitted here";
    home_.file(QStringLiteral("drive/c/a"), 1);
    const bool readOnly =
        mount(nullptr, drive.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    platform::Error error;
    const bool removed =
        readOnly && disk().removeItemAtPath(home_.abs(QStringLiteral("drive/c")), false, &error);
    umount2(drive.constData(), MNT_DETACH);
    ASSERT_TRUE(readOnly);
    EXPECT_FALSE(removed);
    EXPECT_EQ(error.code, platform::Error::kFileWriteVolumeReadOnly);
    ASSERT_TRUE(error.underlying);
    EXPECT_EQ(error.underlying->code, platform::Error::kFileWriteVolumeReadOnly);
}

TEST_F(RemovalRuleTest, AFileThatCannotBeRemovedIsLogged) {
    home_.file(QStringLiteral("frozen"), 1);
    if (!home_.setImmutable(QStringLiteral("frozen"), true))
        GTEST_SKIP() << "no immutable files here";
    platform::Error error;
    const bool removed =
        disk().removeItemAtPath(home_.abs(QStringLiteral("frozen")), false, &error);
    home_.setImmutable(QStringLiteral("frozen"), false);
    EXPECT_FALSE(removed);
    EXPECT_EQ(error.code, platform::Error::kFileWriteNoPermission);
    EXPECT_EQ(platform_.log()
                  .lines()
                  .filter(QStringLiteral("[DEBUG] Could not remove file at '%1' because of error: ")
                              .arg(home_.abs(QStringLiteral("frozen"))))
                  .size(),
              1);
}

TEST_F(RemovalRuleTest, ALinkToAFolderIsRemovedAsALink) {
    home_.file(QStringLiteral("target/keep"), 5);
    home_.symlink(QStringLiteral("link"), home_.abs(QStringLiteral("target")));
    EXPECT_TRUE(disk().removeItemAtPath(home_.abs(QStringLiteral("link")), true, nullptr));
    EXPECT_FALSE(exists(home_.abs(QStringLiteral("link"))));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("target/keep"))));
    home_.symlink(QStringLiteral("link2"), home_.abs(QStringLiteral("target")));
    EXPECT_TRUE(disk().removeItemAtPath(home_.abs(QStringLiteral("link2/")), false, nullptr));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("target/keep"))));
}

TEST_F(RemovalRuleTest, RelativePathsAreRefusedWhateverTheWorkingFolder) {
    home_.file(QStringLiteral("victim"), 1);
    ASSERT_EQ(chdir(home_.path().toUtf8().constData()), 0);
    platform::Error error;
    EXPECT_FALSE(disk().removeItemAtPath(QStringLiteral("victim"), false, &error));
    EXPECT_FALSE(disk().removeDirectoryAtPath(QStringLiteral("."), true, &error));
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("victim"))));
    EXPECT_FALSE(error.description.isEmpty());
}

}  // namespace
