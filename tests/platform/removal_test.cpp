#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <thread>

#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/tree_walk.h"
#include "tests/support/fixture_home.h"

namespace {

using platform::RemovalFailure;
using platform::removeDirectory;

// Every removal test keeps a canary outside the selection that must survive.
class RemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        outside_ = fixture_.root() + QStringLiteral("/outside");
        canary_ = outside_ + QStringLiteral("/canary");
        mkdir(platform::encodePath(outside_).constData(), 0755);
        close(open(platform::encodePath(canary_).constData(), O_CREAT | O_WRONLY, 0644));
        ASSERT_TRUE(exists(canary_));
    }
    void TearDown() override {
        EXPECT_TRUE(exists(canary_)) << "removal reached outside the selection";
        EXPECT_TRUE(exists(outside_));
    }

    std::vector<RemovalFailure> remove(const QString& relative, bool keep = false) {
        std::vector<RemovalFailure> failures;
        removeDirectory(fixture_.abs(relative), keep, &failures);
        return failures;
    }

    FixtureHome fixture_;
    QString outside_;
    QString canary_;
};

TEST_F(RemovalTest, LinksInsideTheSelectionAreRemovedAsLinks) {
    fixture_.file(QStringLiteral("sel/a/file"), 10);
    fixture_.symlink(QStringLiteral("sel/abs"), outside_);
    fixture_.symlink(QStringLiteral("sel/a/rel"), QStringLiteral("../../../../outside"));
    fixture_.symlink(QStringLiteral("sel/dangling"), QStringLiteral("/nonexistent/target"));
    fixture_.symlink(QStringLiteral("sel/loop1"), QStringLiteral("loop2"));
    fixture_.symlink(QStringLiteral("sel/loop2"), QStringLiteral("loop1"));
    fixture_.symlink(QStringLiteral("sel/to-file"), canary_);
    EXPECT_TRUE(remove(QStringLiteral("sel")).empty());
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("sel"))));
}

TEST_F(RemovalTest, KeepingTheFolderLeavesItEmpty) {
    fixture_.file(QStringLiteral("sel/.hidden"), 3);
    fixture_.file(QStringLiteral("sel/sub/deeper/file"), 3);
    EXPECT_TRUE(remove(QStringLiteral("sel"), true).empty());
    EXPECT_TRUE(exists(fixture_.abs(QStringLiteral("sel"))));
    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::listDirectory(fixture_.abs(QStringLiteral("sel")), &entries));
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("sel/.hidden"))));
}

TEST_F(RemovalTest, ASelectionThatIsALinkIsNeverFollowed) {
    fixture_.symlink(QStringLiteral("link"), outside_);
    EXPECT_EQ(platform::itemKind(fixture_.abs(QStringLiteral("link/"))), platform::ItemKind::Link);
    // Emptying "through" the link must fail instead of reaching the target.
    EXPECT_FALSE(remove(QStringLiteral("link")).empty());
    EXPECT_FALSE(remove(QStringLiteral("link/")).empty());
    platform::Error error;
    EXPECT_TRUE(platform::removeFile(fixture_.abs(QStringLiteral("link/")), &error));
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("link"))));
}

TEST_F(RemovalTest, AFolderSwappedForALinkMidWalkIsNotFollowed) {
    fixture_.file(QStringLiteral("sel/victim/file"), 1);
    fixture_.file(QStringLiteral("sel/other"), 1);
    const QByteArray victim = platform::encodePath(fixture_.abs(QStringLiteral("sel/victim")));
    const QByteArray target = platform::encodePath(outside_);
    bool swapped = false;
    platform::setBeforeOpenDirectoryHook([&](const QByteArray& path) {
        if (path != victim || swapped) return;
        swapped = true;
        const QByteArray aside = victim + ".aside";
        ASSERT_EQ(rename(victim.constData(), aside.constData()), 0);
        ASSERT_EQ(symlink(target.constData(), victim.constData()), 0);
    });
    const auto failures = remove(QStringLiteral("sel"));
    platform::setBeforeOpenDirectoryHook(nullptr);
    EXPECT_TRUE(swapped);
    EXPECT_FALSE(exists(QString::fromUtf8(victim)));  // the planted link went, as a link
}

TEST_F(RemovalTest, RacingSwapsNeverReachOutside) {
    // A bounded stress run: another thread keeps swapping a folder for a link to the
    // outside while removals run.
    for (int round = 0; round < 30; ++round) {
        for (int i = 0; i < 20; ++i) {
            fixture_.file(QStringLiteral("race/d%1/sub/f").arg(i), 1);
        }
        std::atomic<bool> stop{false};
        const QByteArray base = platform::encodePath(fixture_.abs(QStringLiteral("race")));
        std::thread swapper([&] {
            for (int n = 0; !stop; ++n) {
                const QByteArray dir = base + "/d" + QByteArray::number(n % 20);
                const QByteArray aside = dir + ".x" + QByteArray::number(n);
                if (rename(dir.constData(), aside.constData()) == 0) {
                    symlink(platform::encodePath(outside_).constData(), dir.constData());
                }
            }
        });
        std::vector<RemovalFailure> failures;
        removeDirectory(fixture_.abs(QStringLiteral("race")), false, &failures);
        stop = true;
        swapper.join();
        ASSERT_TRUE(exists(canary_)) << "round " << round;
        failures.clear();
        removeDirectory(fixture_.abs(QStringLiteral("race")), false, &failures);
    }
}

TEST_F(RemovalTest, UnusualNamesAreRemoved) {
    const QList<QByteArray> names = {QByteArray("line\nfeed"), QByteArray("-rf"),
                                     QByteArray("bad\xff\xfe utf8"), QByteArray(255, 'n'),
                                     QByteArray(" leading blank")};
    for (const QByteArray& name : names) {
        fixture_.file(QStringLiteral("sel/") + platform::decodePath(name), 4);
        fixture_.file(QStringLiteral("sel/dir-") + platform::decodePath(name.left(250)) +
                          QStringLiteral("/inner"),
                      4);
    }
    EXPECT_TRUE(remove(QStringLiteral("sel")).empty());
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("sel"))));
}

TEST_F(RemovalTest, HardLinksLeaveTheOtherNameIntact) {
    fixture_.file(QStringLiteral("sel/original"), 100);
    const QByteArray outsideName = platform::encodePath(outside_ + QStringLiteral("/hard"));
    ASSERT_EQ(link(platform::encodePath(fixture_.abs(QStringLiteral("sel/original"))).constData(),
                   outsideName.constData()),
              0);
    EXPECT_TRUE(remove(QStringLiteral("sel")).empty());
    EXPECT_EQ(readAll(platform::decodePath(outsideName)).size(), 100);
}

TEST_F(RemovalTest, TreesDeeperThanPathMaxAndTheDescriptorLimit) {
    // 300 levels of 20-byte names: far beyond PATH_MAX, and with the descriptor limit
    // lowered below the depth.
    const QByteArray component(20, 'd');
    int fd = open(platform::encodePath(fixture_.folder(QStringLiteral("deep"))).constData(),
                  O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(mkdirat(fd, component.constData(), 0755), 0);
        const int next = openat(fd, component.constData(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
        close(openat(fd, "leaf", O_CREAT | O_WRONLY, 0644));
    }
    close(fd);
    struct rlimit saved;
    getrlimit(RLIMIT_NOFILE, &saved);
    struct rlimit low = saved;
    low.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
    const quint64 size = platform::sizeOfItem(fixture_.abs(QStringLiteral("deep")));
    const auto failures = remove(QStringLiteral("deep"));
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(failures.empty()) << failures.front().error.toString().toStdString();
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("deep"))));
}

TEST_F(RemovalTest, WhatCannotBeRemovedIsReportedAndTheRestGoes) {
    fixture_.file(QStringLiteral("sel/ok/a"), 1);
    fixture_.file(QStringLiteral("sel/locked/inner"), 1);
    fixture_.file(QStringLiteral("sel/unsearchable/inner"), 1);
    fixture_.file(QStringLiteral("sel/unreadable/inner"), 1);
    fixture_.file(QStringLiteral("sel/plain"), 1);
    fixture_.setMode(QStringLiteral("sel/locked"), 0555);        // read-only folder
    fixture_.setMode(QStringLiteral("sel/unsearchable"), 0666);  // no x
    fixture_.setMode(QStringLiteral("sel/unreadable"), 0333);    // no r
    ASSERT_EQ(chown(platform::encodePath(fixture_.root()).constData(),
                    uid_t(ScopedUnprivileged::unprivilegedUid()), gid_t(-1)),
              0);
    ASSERT_EQ(system(("chown -R " + QString::number(ScopedUnprivileged::unprivilegedUid()) + " '" +
                      fixture_.path() + "'")
                         .toUtf8()
                         .constData()),
              0);
    std::vector<RemovalFailure> failures;
    {
        ScopedUnprivileged unprivileged;
        removeDirectory(fixture_.abs(QStringLiteral("sel")), false, &failures);
    }
    QStringList reported;
    for (const auto& failure : failures)
        reported.append(platform::lastPathComponent(failure.path));
    EXPECT_TRUE(reported.contains(QStringLiteral("inner"))) << reported.join(u',').toStdString();
    EXPECT_FALSE(reported.contains(QStringLiteral("sel")));
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("sel/ok"))));
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("sel/plain"))));
    EXPECT_TRUE(exists(fixture_.abs(QStringLiteral("sel/locked/inner"))));
    for (const auto& failure : failures) {
        EXPECT_EQ(failure.error.code, platform::Error::kFileWriteNoPermission);
    }
}

TEST_F(RemovalTest, ImmutableFilesAreReported) {
    fixture_.file(QStringLiteral("sel/frozen"), 1);
    fixture_.file(QStringLiteral("sel/free"), 1);
    if (!fixture_.setImmutable(QStringLiteral("sel/frozen"), true)) {
        GTEST_SKIP() << "the file system or privileges do not allow immutable files";
    }
    const auto failures = remove(QStringLiteral("sel"));
    fixture_.setImmutable(QStringLiteral("sel/frozen"), false);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(failures[0].path.endsWith(QStringLiteral("/frozen")));
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("sel/free"))));
}

// Mounting needs privileges that a developer's machine may not grant.
class MountGuard {
public:
    MountGuard(const QString& source, const QString& target, const char* type, unsigned long flags)
        : target_(platform::encodePath(target)) {
        mounted_ = mount(type ? type : platform::encodePath(source).constData(),
                         target_.constData(), type, flags, nullptr) == 0;
    }
    ~MountGuard() {
        if (mounted_) umount2(target_.constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    QByteArray target_;
    bool mounted_ = false;
};

TEST_F(RemovalTest, ABindMountInsideTheSelectionIsNeitherEmptiedNorMeasured) {
    fixture_.file(QStringLiteral("sel/own"), 7);
    fixture_.folder(QStringLiteral("sel/mnt"));
    MountGuard bind(outside_, fixture_.abs(QStringLiteral("sel/mnt")), nullptr, MS_BIND);
    if (!bind.mounted()) GTEST_SKIP() << "mounting is not permitted here";
    EXPECT_EQ(platform::sizeOfItem(fixture_.abs(QStringLiteral("sel"))), 7u);
    const auto failures = remove(QStringLiteral("sel"));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(failures[0].path.endsWith(QStringLiteral("sel/mnt")));
    EXPECT_FALSE(exists(fixture_.abs(QStringLiteral("sel/own"))));
    // The mount point itself, selected directly, is refused too.
    EXPECT_FALSE(remove(QStringLiteral("sel/mnt")).empty());
}

TEST_F(RemovalTest, AReadOnlyMountReportsReadOnly) {
    fixture_.folder(QStringLiteral("ro"));
    MountGuard tmpfs(QString(), fixture_.abs(QStringLiteral("ro")), "tmpfs", 0);
    if (!tmpfs.mounted()) GTEST_SKIP() << "mounting is not permitted here";
    fixture_.file(QStringLiteral("ro/file"), 1);
    ASSERT_EQ(mount(nullptr, platform::encodePath(fixture_.abs(QStringLiteral("ro"))).constData(),
                    nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
              0);
    platform::Error error;
    EXPECT_FALSE(platform::removeFile(fixture_.abs(QStringLiteral("ro/file")), &error));
    EXPECT_EQ(error.code, platform::Error::kFileWriteVolumeReadOnly);
}

TEST(Removal, RelativePathsAreRefused) {
    platform::Error error;
    EXPECT_FALSE(platform::removeFile(QStringLiteral("relative/file"), &error));
    std::vector<RemovalFailure> failures;
    removeDirectory(QStringLiteral("relative"), false, &failures);
    EXPECT_EQ(failures.size(), 1u);
}

}  // namespace
