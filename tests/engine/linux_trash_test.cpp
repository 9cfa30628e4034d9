#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <memory>

#include "engine/categories/trash_item.h"
#include "engine/disk_utilities.h"
#include "platform/fakes/fakes.h"
#include "platform/file_path.h"
#include "tests/support/folder_fixtures.h"
#include "tests/support/linux_home_trash.h"

namespace {

using linux_home::kHomeTrash;

class LinuxTrashTest : public ::testing::Test {
protected:
    FolderFixture fixture;
    FixtureHome& home = fixture.home();
    const QString uid = QString::number(QSDiskUtilities::sharedInstance().uid());

    void mount(const QStringList& volumes) {
        QList<platform::MountedVolume> mounted;
        for (const QString& volume : volumes)
            mounted.append({volume, platform::lastPathComponent(volume)});
        platform::services().volumes =
            std::make_shared<platform::fakes::FakeVolumeList>(std::move(mounted));
    }
    QSScanResultPtr scanTrash() { return fixture.scan(QSTrashItem::item()); }
};

std::shared_ptr<QSTrashedFile> trashed(const QSScanResultPtr& result, const QString& name) {
    for (const auto& file : result->detailArray()) {
        if (file->fileName() == name) return std::dynamic_pointer_cast<QSTrashedFile>(file);
    }
    return nullptr;
}

TEST_F(LinuxTrashTest, EntriesAreListedOnceByTheirOriginalNamesAfterTheDesignsTrash) {
    home.file(QStringLiteral(".Trash/old.txt"), 1);
    const QDateTime deleted(QDate(2026, 11, 30), QTime(22, 15, 1));
    linux_home::trashFile(home, kHomeTrash, QStringLiteral("report.2.pdf"),
                          home.abs(QStringLiteral("Work/report.pdf")), 40, deleted);
    linux_home::trashFile(home, kHomeTrash, QStringLiteral(".bashrc"),
                          home.abs(QStringLiteral(".bashrc")), 5);
    const QString odd = platform::decodePath(QByteArray("caf\xe9.txt"));
    linux_home::trashFile(home, kHomeTrash, odd, home.abs(odd), 6);
    home.file(kHomeTrash + QStringLiteral("/files/no info.bin"), 7);
    home.file(kHomeTrash + QStringLiteral("/expunged/12345/left.bin"), 8);

    const auto result = scanTrash();

    QStringList names = fileNamesOf(result->detailArray());
    ASSERT_EQ(names.size(), 6) << names.join(u'|').toStdString();
    EXPECT_EQ(names.takeFirst(), QStringLiteral("old.txt"));
    QStringList expected{QStringLiteral(".bashrc"), QStringLiteral("12345"),
                         QStringLiteral("no info.bin"), QStringLiteral("report.pdf"), odd};
    names.sort();
    expected.sort();
    EXPECT_EQ(names, expected);
    const auto report = trashed(result, QStringLiteral("report.pdf"));
    ASSERT_TRUE(report);
    EXPECT_EQ(report->deletionDate(), deleted);
    EXPECT_EQ(report->originalPath(), home.abs(QStringLiteral("Work/report.pdf")));
    EXPECT_EQ(report->fileSize(), 40u);
    EXPECT_TRUE(trashed(result, QStringLiteral("no info.bin"))->originalPath().isNull());
    for (const auto& file : result->detailArray())
        EXPECT_TRUE(file->selected());
    // The design's folder stays the result's own.
    EXPECT_EQ(result->path(), home.abs(QStringLiteral(".Trash")));
}

TEST_F(LinuxTrashTest, RemovingAnEntryRemovesItsInfoFileAndNothingElse) {
    const auto kept = linux_home::trashFile(home, kHomeTrash, QStringLiteral("kept.txt"),
                                            home.abs(QStringLiteral("kept.txt")), 3);
    const auto gone = linux_home::trashFile(home, kHomeTrash, QStringLiteral("gone.txt"),
                                            home.abs(QStringLiteral("gone.txt")), 10);
    const auto keptFolder = linux_home::trashFolder(home, kHomeTrash, QStringLiteral("album"),
                                                    home.abs(QStringLiteral("album")), 20);
    const auto goneFolder = linux_home::trashFolder(home, kHomeTrash, QStringLiteral("build"),
                                                    home.abs(QStringLiteral("build")), 30);
    const QString sizes = home.abs(kHomeTrash + QStringLiteral("/directorysizes"));

    auto result = scanTrash();
    trashed(result, QStringLiteral("kept.txt"))->setSelected(false);
    trashed(result, QStringLiteral("album"))->setSelected(false);
    const quint64 infoSizes = readAll(gone.info).size() + readAll(goneFolder.info).size();
    const auto removed = deleteNow(result);

    EXPECT_TRUE(removed->failedFiles().isEmpty());
    EXPECT_EQ(removed->size(), 40u + infoSizes);
    for (const QString& path : {gone.path, gone.info, goneFolder.path, goneFolder.info})
        EXPECT_FALSE(exists(path)) << path.toStdString();
    for (const QString& path : {kept.path, kept.info, keptFolder.path, keptFolder.info})
        EXPECT_TRUE(exists(path)) << path.toStdString();
    EXPECT_EQ(readAll(sizes), QByteArray("20 1700000000 album\n"));

    // The cache goes with the last folder it described.
    result = scanTrash();
    ASSERT_TRUE(deleteNow(result)->failedFiles().isEmpty());
    EXPECT_FALSE(exists(sizes));
    EXPECT_TRUE(exists(home.abs(kHomeTrash + QStringLiteral("/files"))));
}

TEST_F(LinuxTrashTest, WhatChangedSinceTheScanStaysWithItsInfoFile) {
    const auto changedEntry = linux_home::trashFile(home, kHomeTrash, QStringLiteral("grown.log"),
                                                    home.abs(QStringLiteral("grown.log")), 3);
    const auto changedInfo = linux_home::trashFile(home, kHomeTrash, QStringLiteral("note.txt"),
                                                   home.abs(QStringLiteral("note.txt")), 4);

    const auto result = scanTrash();
    home.file(kHomeTrash + QStringLiteral("/files/grown.log"), 9);
    const QByteArray otherInfo =
        linux_home::trashInfoContent(home.abs(QStringLiteral("Elsewhere/note.txt")), {});
    home.write(kHomeTrash + QStringLiteral("/info/note.txt.trashinfo"), otherInfo);
    const auto removed = deleteNow(result);

    // An entry that is still there keeps the info file that names it.
    EXPECT_TRUE(exists(changedEntry.path));
    EXPECT_TRUE(exists(changedEntry.info));
    // An info file rewritten since the scan is not the one that was seen: it stays, and
    // its removal is reported as failed.
    EXPECT_FALSE(exists(changedInfo.path));
    EXPECT_EQ(readAll(changedInfo.info), otherInfo);
    QStringList failed;
    for (const auto& record : removed->failedFiles())
        failed.append(record->file()->path());
    failed.sort();
    EXPECT_EQ(failed, QStringList({changedEntry.path, changedInfo.info}));
}

// A home of another machine (an old disk) has other user ids, but its trash is still the
// trash of the home being scanned; one that is a link is never followed.
TEST_F(LinuxTrashTest, TheHomesTrashCountsWhoeverOwnsItButNotAsALink) {
    if (!ScopedUnprivileged::runningAsRoot()) GTEST_SKIP() << "needs to give files away";
    linux_home::trashFile(home, kHomeTrash, QStringLiteral("old.txt"),
                          QStringLiteral("/home/someone/old.txt"), 3);
    const QString trash = home.abs(kHomeTrash);
    const uid_t someone = uid_t(ScopedUnprivileged::unprivilegedUid());
    ASSERT_EQ(chown(platform::encodePath(trash).constData(), someone, someone), 0);
    EXPECT_EQ(fileNamesOf(scanTrash()->detailArray()), QStringList{QStringLiteral("old.txt")});

    const QString moved = home.abs(QStringLiteral("Moved"));
    ASSERT_TRUE(QDir().rename(trash, moved));
    home.symlink(kHomeTrash, moved);
    const auto result = scanTrash();
    EXPECT_TRUE(result->detailArray().isEmpty());
    EXPECT_TRUE(deleteNow(result)->failedFiles().isEmpty());
    EXPECT_TRUE(exists(moved + QStringLiteral("/files/old.txt")));
}

TEST_F(LinuxTrashTest, VolumeTrashesAreTheUsersOwnAndOnlyBelowAStickyFolder) {
    const QString usb = linux_home::volume(home, QStringLiteral("usb"));
    const QString disk = linux_home::volume(home, QStringLiteral("disk"));
    const QString loose = linux_home::volume(home, QStringLiteral("loose"));
    const QString linked = linux_home::volume(home, QStringLiteral("linked"));
    linux_home::trashFile(home, usb + QStringLiteral("/.Trash-") + uid, QStringLiteral("a.iso"),
                          QStringLiteral("isos/a.iso"), 11);
    linux_home::trashFile(home, disk + QStringLiteral("/.Trash/") + uid, QStringLiteral("b.mkv"),
                          QStringLiteral("films/b.mkv"), 12);
    home.setMode(QDir(home.path()).relativeFilePath(disk + QStringLiteral("/.Trash")), 01777);
    // Not sticky: anyone could have made the user's folder in it.
    linux_home::trashFile(home, loose + QStringLiteral("/.Trash/") + uid, QStringLiteral("c.txt"),
                          QStringLiteral("c.txt"), 13);
    home.setMode(QDir(home.path()).relativeFilePath(loose + QStringLiteral("/.Trash")), 0777);
    const auto elsewhere = linux_home::trashFile(home, QStringLiteral("Elsewhere"),
                                                 QStringLiteral("d.txt"), QStringLiteral("d"), 14);
    home.symlink(QDir(home.path()).relativeFilePath(linked + QStringLiteral("/.Trash-") + uid),
                 home.abs(QStringLiteral("Elsewhere")));
    // The same volume mounted twice is one trash.
    mount({usb, disk, loose, linked, usb});

    const auto result = scanTrash();

    EXPECT_EQ(fileNamesOf(result->detailArray()),
              QStringList({QStringLiteral("a.iso"), QStringLiteral("b.mkv")}));
    EXPECT_EQ(trashed(result, QStringLiteral("a.iso"))->originalPath(),
              QStringLiteral("isos/a.iso"));
    EXPECT_TRUE(deleteNow(result)->failedFiles().isEmpty());
    EXPECT_FALSE(exists(usb + QStringLiteral("/.Trash-") + uid + QStringLiteral("/files/a.iso")));
    EXPECT_TRUE(exists(elsewhere.path));
}

}  // namespace
