#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>
#include <cstdio>

#include "platform/file_path.h"
#include "platform/inotify_file_coordinator.h"
#include "platform/linux_services.h"
#include "tests/support/fixture_home.h"

namespace {

TEST(LinuxVolumeList, MountPointsAreUnescapedAndNamedByTheirLastComponent) {
    const QByteArray info =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "40 22 8:2 / /media/alice/My\\040Backup rw shared:2 - ext4 /dev/sda2 rw\n"
        "41 22 0:5 / /run/odd\\134name rw - tmpfs tmpfs rw\n";
    const auto volumes = platform::LinuxVolumeList::parseMountInfo(info);
    ASSERT_EQ(volumes.size(), 3);
    EXPECT_EQ(volumes[0].path, u"/");
    EXPECT_FALSE(volumes[0].name.has_value());
    EXPECT_EQ(volumes[1].path, u"/media/alice/My Backup");
    EXPECT_EQ(volumes[1].name.value(), u"My Backup");
    EXPECT_EQ(volumes[2].name.value(), u"odd\\name");
    EXPECT_FALSE(platform::LinuxVolumeList().mountedVolumes().isEmpty());
}

TEST(LinuxHomeFolder, FollowsHomeAndFallsBackToThePasswordDatabase) {
    const QByteArray saved = qgetenv("HOME");
    qputenv("HOME", "/srv/home/alice");
    EXPECT_EQ(platform::LinuxHomeFolder().homeDirectory(), u"/srv/home/alice");
    qputenv("HOME", "relative/home");
    EXPECT_TRUE(platform::LinuxHomeFolder().homeDirectory().startsWith(u'/'));
    qputenv("HOME", saved);
}

class Watcher : public platform::FilePresenter {
public:
    explicit Watcher(QString path) : path_(std::move(path)) {}
    QString presentedItemPath() const override { return path_; }
    void presentedItemDidMoveTo(const QString& newPath) override {
        moves.append(newPath);
        path_ = newPath;
    }
    QStringList moves;

private:
    QString path_;
};

bool move(const QString& from, const QString& to) {
    return rename(platform::encodePath(from).constData(), platform::encodePath(to).constData()) ==
           0;
}

TEST(InotifyFileCoordinator, ReportsRenamesAndMovesIntoTheTrash) {
    FixtureHome home;
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", platform::encodePath(home.abs(QStringLiteral(".local/share"))));
    const QString trash = home.folder(QStringLiteral(".local/share/Trash/files"));
    const QString name = QStringLiteral("stuck-\xff").replace(QChar(0xff), QChar(0xdcff));
    Watcher watcher(home.file(QStringLiteral("dir/") + name, 1));
    Watcher bystander(home.file(QStringLiteral("dir/other"), 1));
    platform::InotifyFileCoordinator coordinator;
    coordinator.addFilePresenter(&watcher);
    coordinator.addFilePresenter(&bystander);

    const QString renamed = home.abs(QStringLiteral("dir/renamed"));
    ASSERT_TRUE(move(watcher.presentedItemPath(), renamed));
    ASSERT_TRUE(waitUntil([&] { return watcher.moves.size() == 1; }));
    EXPECT_EQ(watcher.moves.last(), renamed);

    // The watch follows the folder, so the presenter is still heard after a rename.
    ASSERT_TRUE(move(renamed, trash + QStringLiteral("/renamed")));
    ASSERT_TRUE(waitUntil([&] { return watcher.moves.size() == 2; }));
    EXPECT_EQ(watcher.moves.last(), trash + QStringLiteral("/renamed"));
    EXPECT_TRUE(bystander.moves.isEmpty());

    coordinator.removeFilePresenter(&watcher);
    coordinator.removeFilePresenter(&watcher);
    coordinator.removeFilePresenter(&bystander);
    qputenv("XDG_DATA_HOME", savedData);
}

// A file manager throws a file of another drive into that drive's own trash folder.
TEST(InotifyFileCoordinator, HearsAMoveIntoTheTrashOfTheFilesOwnVolume) {
    FixtureHome home;
    const QByteArray drive = platform::encodePath(home.folder(QStringLiteral("drive")));
    if (mount("tmpfs", drive.constData(), "tmpfs", 0, nullptr) != 0)
        GTEST_SKIP() << "mounting is not permitted here";
    const QString own = QStringLiteral("drive/.Trash-%1/files").arg(getuid());
    const QString trash = home.folder(own);
    Watcher watcher(home.file(QStringLiteral("drive/music/song.ogg"), 1));
    EXPECT_EQ(
        platform::InotifyFileCoordinator::volumeTrashFolders(home.abs("drive/music")),
        (QStringList{trash, home.abs(QStringLiteral("drive/.Trash/%1/files").arg(getuid()))}));
    bool heard = false;
    {
        platform::InotifyFileCoordinator coordinator;
        coordinator.addFilePresenter(&watcher);
        heard = move(watcher.presentedItemPath(), trash + QStringLiteral("/song.ogg")) &&
                waitUntil([&] { return !watcher.moves.isEmpty(); }, 5000);
        coordinator.removeFilePresenter(&watcher);
    }
    umount2(drive.constData(), MNT_DETACH);
    EXPECT_TRUE(heard);
    EXPECT_EQ(watcher.moves, QStringList{trash + QStringLiteral("/song.ogg")});
}

}  // namespace
