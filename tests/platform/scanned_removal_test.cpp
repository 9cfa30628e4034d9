#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <thread>

#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/folder_anchors.h"
#include "tests/support/fixture_home.h"

namespace {

using platform::Error;
using platform::FileIdentity;
using platform::RemovalFailure;

// Removal of scanned entries: only what the scan saw, reached only through the folders
// the scan saw. A sentinel tree outside the home must survive every test.
class ScannedRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::clearFolderAnchors();
        outside_ = home_.root() + QStringLiteral("/outside");
        for (const char* relative : {"victim/doc.txt", "victim/deep/more.txt", "sentinel.txt"})
            writeOutside(QString::fromLatin1(relative));
    }
    void TearDown() override {
        for (const char* relative : {"victim/doc.txt", "victim/deep/more.txt", "sentinel.txt"})
            EXPECT_TRUE(exists(outside_ + u'/' + QString::fromLatin1(relative))) << relative;
        platform::clearFolderAnchors();
    }

    void writeOutside(const QString& relative) {
        const QString path = outside_ + u'/' + relative;
        QByteArray folder = platform::encodePath(platform::deletingLastPathComponent(path));
        for (qsizetype slash = folder.indexOf('/', 1); slash != -1;
             slash = folder.indexOf('/', slash + 1))
            mkdir(folder.left(slash).constData(), 0755);
        mkdir(folder.constData(), 0755);
        const int fd = open(platform::encodePath(path).constData(), O_CREAT | O_WRONLY, 0644);
        ASSERT_EQ(write(fd, "keep", 4), 4);
        close(fd);
    }

    FileIdentity identityOf(const QString& relative) {
        const auto identity = platform::identityOfItem(home_.abs(relative));
        EXPECT_TRUE(identity.has_value()) << relative.toStdString();
        return identity.value_or(FileIdentity());
    }

    std::vector<RemovalFailure> removeScanned(const QString& relative,
                                              const FileIdentity& scanned) {
        std::vector<RemovalFailure> failures;
        platform::removeScannedItem(home_.abs(relative), scanned, &failures);
        return failures;
    }

    static bool refusedAsChanged(const std::vector<RemovalFailure>& failures) {
        return failures.size() == 1 && failures.front().error.domain == Error::Domain::Sweepwell &&
               failures.front().error.code == Error::kFileChangedSinceScan &&
               failures.front().error.description == u"The file changed after the scan.";
    }

    FixtureHome home_;
    QString outside_;
};

TEST_F(ScannedRemovalTest, AnUnchangedEntryIsRemovedAndAGrownFolderToo) {
    home_.file(QStringLiteral("cache/blob"), 6);
    home_.file(QStringLiteral("cache/dir/a"), 3);
    const FileIdentity blob = identityOf(QStringLiteral("cache/blob"));
    const FileIdentity dir = identityOf(QStringLiteral("cache/dir"));
    // Caches grow between the scan and the removal; the folder is still the same one.
    home_.file(QStringLiteral("cache/dir/b"), 5);
    EXPECT_TRUE(removeScanned(QStringLiteral("cache/blob"), blob).empty());
    EXPECT_TRUE(removeScanned(QStringLiteral("cache/dir"), dir).empty());
    EXPECT_FALSE(exists(home_.abs(QStringLiteral("cache/blob"))));
    EXPECT_FALSE(exists(home_.abs(QStringLiteral("cache/dir"))));
}

TEST_F(ScannedRemovalTest, WhatTookAnEntrysPlaceAfterTheScanIsNeverRemoved) {
    home_.file(QStringLiteral("cache/replaced"), 6);
    home_.file(QStringLiteral("cache/rewritten"), 6);
    home_.file(QStringLiteral("cache/became-folder"), 6);
    home_.file(QStringLiteral("cache/folder/x"), 1);
    const FileIdentity replaced = identityOf(QStringLiteral("cache/replaced"));
    const FileIdentity rewritten = identityOf(QStringLiteral("cache/rewritten"));
    const FileIdentity becameFolder = identityOf(QStringLiteral("cache/became-folder"));
    const FileIdentity folder = identityOf(QStringLiteral("cache/folder"));

    // Another file under the same name; the same file with other content; a folder of
    // documents; a link to documents outside.
    ASSERT_EQ(unlink(platform::encodePath(home_.abs(QStringLiteral("cache/replaced"))).constData()),
              0);
    home_.file(QStringLiteral("cache/replaced"), 6);
    home_.write(QStringLiteral("cache/rewritten"), "a longer text");
    ASSERT_EQ(
        unlink(platform::encodePath(home_.abs(QStringLiteral("cache/became-folder"))).constData()),
        0);
    home_.file(QStringLiteral("cache/became-folder/thesis.odt"), 200);
    ASSERT_EQ(rename(platform::encodePath(home_.abs(QStringLiteral("cache/folder"))).constData(),
                     platform::encodePath(home_.abs(QStringLiteral("moved"))).constData()),
              0);
    home_.symlink(QStringLiteral("cache/folder"), outside_ + QStringLiteral("/victim"));

    EXPECT_TRUE(refusedAsChanged(removeScanned(QStringLiteral("cache/replaced"), replaced)));
    EXPECT_TRUE(refusedAsChanged(removeScanned(QStringLiteral("cache/rewritten"), rewritten)));
    EXPECT_TRUE(
        refusedAsChanged(removeScanned(QStringLiteral("cache/became-folder"), becameFolder)));
    EXPECT_TRUE(refusedAsChanged(removeScanned(QStringLiteral("cache/folder"), folder)));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("cache/replaced"))));
    EXPECT_EQ(readAll(home_.abs(QStringLiteral("cache/rewritten"))), "a longer text");
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("cache/became-folder/thesis.odt"))));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("cache/folder"))));
    // Nothing recorded is no licence either.
    EXPECT_TRUE(refusedAsChanged(removeScanned(QStringLiteral("cache/replaced"), FileIdentity())));
}

TEST_F(ScannedRemovalTest, AnEntryAlreadyGoneIsReportedAsNotFound) {
    home_.file(QStringLiteral("cache/gone"), 1);
    const FileIdentity gone = identityOf(QStringLiteral("cache/gone"));
    ASSERT_EQ(unlink(platform::encodePath(home_.abs(QStringLiteral("cache/gone"))).constData()), 0);
    const auto failures = removeScanned(QStringLiteral("cache/gone"), gone);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures.front().error.code, Error::kFileNoSuchFile);
}

TEST_F(ScannedRemovalTest, ALinkInThePathIsNeverFollowed) {
    // The attacker's layout: a folder on the way to the entry is now a link to a tree
    // outside with the same names.
    home_.file(QStringLiteral("Library/Caches/victim/doc.txt"), 1);
    platform::anchorFolder(home_.path());
    const FileIdentity scanned = identityOf(QStringLiteral("Library/Caches/victim"));
    ASSERT_EQ(rename(platform::encodePath(home_.abs(QStringLiteral("Library/Caches"))).constData(),
                     platform::encodePath(home_.abs(QStringLiteral("Library/Old"))).constData()),
              0);
    home_.symlink(QStringLiteral("Library/Caches"), outside_);

    const auto failures = removeScanned(QStringLiteral("Library/Caches/victim"), scanned);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures.front().error.code, Error::kLinkInPath);
    EXPECT_EQ(platform::sizeOfItem(home_.abs(QStringLiteral("Library/Caches/victim"))), 0u);
    EXPECT_EQ(platform::itemKind(home_.abs(QStringLiteral("Library/Caches/victim"))),
              platform::ItemKind::Missing);
    std::vector<RemovalFailure> plain;
    platform::removeDirectory(home_.abs(QStringLiteral("Library/Caches/victim")), false, &plain);
    EXPECT_FALSE(plain.empty());
}

TEST_F(ScannedRemovalTest, ALinkedFolderTheUserMadeIsFollowedOnceAndMustStayTheSame) {
    // The user keeps the caches elsewhere and links them in: the scan follows that link,
    // once, and removal follows it only to the same folder.
    home_.file(QStringLiteral("elsewhere/caches/app/blob"), 4);
    home_.folder(QStringLiteral("Library"));
    home_.symlink(QStringLiteral("Library/Caches"), home_.abs(QStringLiteral("elsewhere/caches")));
    const QString caches = home_.abs(QStringLiteral("Library/Caches"));
    platform::anchorFolder(home_.path());
    platform::anchorFolder(caches);

    std::vector<platform::DirectoryEntry> entries;
    ASSERT_TRUE(platform::listDirectory(caches, &entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(platform::sizeOfItem(entries.front().path), 4u);
    std::vector<RemovalFailure> failures;
    platform::removeScannedItem(entries.front().path, entries.front().identity, &failures);
    EXPECT_TRUE(failures.empty());
    EXPECT_FALSE(exists(home_.abs(QStringLiteral("elsewhere/caches/app"))));

    // Another folder put in place of the linked one after the scan: the entry of the same
    // name in it is not the one scanned, and is left alone.
    home_.file(QStringLiteral("elsewhere/caches/app2/blob"), 4);
    entries.clear();
    ASSERT_TRUE(platform::listDirectory(caches, &entries));
    ASSERT_EQ(entries.size(), 1u);
    ASSERT_EQ(
        rename(platform::encodePath(home_.abs(QStringLiteral("elsewhere/caches"))).constData(),
               platform::encodePath(home_.abs(QStringLiteral("elsewhere/old"))).constData()),
        0);
    home_.file(QStringLiteral("elsewhere/caches/app2/blob"), 4);
    failures.clear();
    platform::removeScannedItem(entries.front().path, entries.front().identity, &failures);
    EXPECT_TRUE(refusedAsChanged(failures));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("elsewhere/caches/app2/blob"))));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("elsewhere/old/app2/blob"))));
}

// A folder of the chain swapped for a link to an outside tree and back, as fast as the
// machine can, while a scanned folder is removed: the outside tree must survive every
// round. renameat2(RENAME_EXCHANGE) makes each swap atomic.
TEST_F(ScannedRemovalTest, AFolderSwappedForALinkDuringRemovalNeverLeadsOutside) {
    platform::anchorFolder(home_.path());
    home_.symlink(QStringLiteral("Library/swap"), outside_);
    const QByteArray real = platform::encodePath(home_.abs(QStringLiteral("Library/Caches")));
    const QByteArray link = platform::encodePath(home_.abs(QStringLiteral("Library/swap")));
    for (int round = 0; round < 5; ++round) {
        home_.file(QStringLiteral("Library/Caches/victim/doc.txt"), 1);
        home_.file(QStringLiteral("Library/Caches/victim/deep/more.txt"), 1);
        const FileIdentity scanned = identityOf(QStringLiteral("Library/Caches/victim"));
        std::atomic<bool> stop{false};
        std::thread swapper([&] {
            while (!stop.load())
                renameat2(AT_FDCWD, real.constData(), AT_FDCWD, link.constData(), RENAME_EXCHANGE);
        });
        // With and without the identity check: the chain alone must hold.
        for (int attempt = 0; attempt < 50; ++attempt) {
            removeScanned(QStringLiteral("Library/Caches/victim"), scanned);
            std::vector<RemovalFailure> failures;
            platform::removeDirectory(home_.abs(QStringLiteral("Library/Caches/victim")), false,
                                      &failures);
        }
        stop.store(true);
        swapper.join();
        // Leave the real folder at its place for the next round.
        struct stat st;
        if (lstat(real.constData(), &st) == 0 && S_ISLNK(st.st_mode))
            renameat2(AT_FDCWD, real.constData(), AT_FDCWD, link.constData(), RENAME_EXCHANGE);
    }
}

}  // namespace
