#include <gtest/gtest.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QThread>

#include "base/notification_center.h"
#include "engine/scan_model.h"
#include "engine/scan_totals.h"
#include "platform/file_path.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"
#include "tests/support/folder_fixtures.h"

namespace {

// A category over one folder, using the standard scan.
class FolderItem : public QSScanItem {
public:
    explicit FolderItem(QString folder, bool selected = true)
        : folder_(std::move(folder)), selected_(selected) {}
    QString title() const override { return QStringLiteral("Folder Things"); }
    QString key() const override { return QStringLiteral("folder-things"); }
    QString path() const override { return folder_; }
    bool hasDetails() const override { return true; }
    bool selectedByDefault() const override { return selected_; }

private:
    QString folder_;
    bool selected_;
};

QSScannedFilePtr fileAt(const QString& path, quint64 size, bool selected) {
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    file->setFileName(path.section(u'/', -1));
    file->setFileSize(size);
    file->setSelected(selected);
    // As a scan does: the entry carries what it was when it was found.
    file->recordIdentityIfNeeded();
    return file;
}

class ScanModelTest : public ::testing::Test {
protected:
    FixtureHome home_;
    FakePlatform platform_{home_.path()};
};

TEST_F(ScanModelTest, ACategoryWithNothingToLookAtAnswersAtOnceOnTheCallingThread) {
    auto item = std::make_shared<FolderItem>(QString());
    QSScanResultPtr result;
    item->scanWithCompletionBlock([&](QSScanResultPtr r) {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        result = r;
    });
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->disabled());
    EXPECT_TRUE(result->path().isNull());
    EXPECT_TRUE(result->detailArray().isEmpty());
    EXPECT_EQ(item->result(), nullptr);
}

TEST_F(ScanModelTest, TheStandardScanListsVisibleEntriesAndMeasuresEachInFull) {
    home_.file(QStringLiteral("base/.hidden"), 7);
    home_.file(QStringLiteral("base/sub/a"), 10);
    home_.file(QStringLiteral("base/sub/deeper/b"), 20);
    home_.file(QStringLiteral("base/plain"), 5,
               QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5), Qt::UTC));
    home_.file(QStringLiteral("base/bad-\xff-name").replace(QChar(0xff), QChar(0xdcff)), 3);
    const auto result =
        scanNow(std::make_shared<FolderItem>(home_.abs(QStringLiteral("base")), false));
    ASSERT_TRUE(result);
    EXPECT_FALSE(result->disabled());
    QMap<QString, QSScannedFilePtr> byName;
    for (const auto& file : result->detailArray())
        byName.insert(file->fileName(), file);
    ASSERT_EQ(byName.size(), 3);
    EXPECT_EQ(byName.value(QStringLiteral("sub"))->fileSize(), 30u);
    const auto plain = byName.value(QStringLiteral("plain"));
    EXPECT_EQ(plain->fileSize(), 5u);
    EXPECT_FALSE(plain->selected());
    EXPECT_EQ(plain->modificationDate(), QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5), Qt::UTC));
    EXPECT_TRUE(plain->attributes().contains(kNSURLCreationDateKey));
    EXPECT_EQ(plain->previewItemURL(), QUrl::fromLocalFile(plain->path()));
    EXPECT_EQ(plain->previewItemTitle(), u"plain");
    // The name that is not UTF-8 is listed and measured too.
    EXPECT_TRUE(
        byName.contains(QStringLiteral("bad-\xff-name").replace(QChar(0xff), QChar(0xdcff))));
}

TEST_F(ScanModelTest, FoldersWithOnlyHiddenEntriesOrUnreadableGiveDisabledResults) {
    home_.file(QStringLiteral("hidden-only/.DS_Store"), 7);
    EXPECT_TRUE(scanNow(std::make_shared<FolderItem>(home_.abs(QStringLiteral("hidden-only"))))
                    ->disabled());
    const auto missing =
        scanNow(std::make_shared<FolderItem>(home_.abs(QStringLiteral("missing"))));
    EXPECT_TRUE(missing->disabled());
    EXPECT_EQ(missing->path(), home_.abs(QStringLiteral("missing")));
}

TEST_F(ScanModelTest, SettingFilesMakesAGroupSizedAtThatMoment) {
    auto group = std::make_shared<QSScannedFile>();
    auto a = fileAt(QStringLiteral("/a"), 10, true);
    group->setFiles({a, fileAt(QStringLiteral("/b"), 32, false)});
    EXPECT_TRUE(group->isGroup());
    EXPECT_EQ(group->fileSize(), 42u);
    a->setFileSize(1000);
    EXPECT_EQ(group->fileSize(), 42u);
    EXPECT_FALSE(group->previewItemURL().isValid());
}

TEST_F(ScanModelTest, DeletingAGroupRemovesEveryMemberButNeverTheGroupPath) {
    const QString groupPath = home_.folder(QStringLiteral("g"));
    auto member1 = fileAt(home_.file(QStringLiteral("g/one"), 3), 3, false);
    auto member2 = fileAt(home_.file(QStringLiteral("elsewhere/two"), 4), 4, false);
    auto group = fileAt(groupPath, 0, true);
    group->setFiles({member1, member2});
    auto unselected = fileAt(home_.file(QStringLiteral("keep"), 1), 1, false);
    auto result =
        std::make_shared<QSScanResult>(QStringLiteral("T"), QStringLiteral("t"), 0,
                                       QList<QSScannedFilePtr>{group, unselected}, groupPath);
    bool success = false;
    const auto removed = deleteNow(result, &success);
    EXPECT_TRUE(success);
    EXPECT_EQ(removed->size(), 7u);
    ASSERT_TRUE(removed->files());
    EXPECT_EQ(removed->files()->size(), 2);
    EXPECT_TRUE(exists(groupPath));
    EXPECT_FALSE(exists(member1->path()));
    EXPECT_FALSE(exists(member2->path()));
    EXPECT_TRUE(exists(unselected->path()));
}

TEST_F(ScanModelTest, FilesAlreadyGoneAreRecordedButAreNotFailures) {
    auto vanished = fileAt(home_.abs(QStringLiteral("vanished")), 50, true);
    auto present = fileAt(home_.file(QStringLiteral("present"), 5), 5, true);
    auto result =
        std::make_shared<QSScanResult>(QStringLiteral("T"), QStringLiteral("t"), 0,
                                       QList<QSScannedFilePtr>{vanished, present}, home_.path());
    const auto removed = deleteNow(result);
    ASSERT_EQ(removed->files()->size(), 2);
    EXPECT_FALSE(removed->files()->at(0)->success());
    EXPECT_EQ(removed->files()->at(0)->error()->code, platform::Error::kFileNoSuchFile);
    EXPECT_TRUE(removed->failedFiles().isEmpty());
    EXPECT_EQ(removed->size(), 5u);
}

TEST_F(ScanModelTest, FailedFilesLeaveOutOnlyTheNotFoundCodes) {
    const auto record = [](int code) {
        return std::make_shared<QSRemovedFile>(
            fileAt(QStringLiteral("/x"), 1, true), false,
            platform::Error{platform::Error::Domain::OSStatus, code, QString(), nullptr});
    };
    const auto item = QSRemovedItem::itemWithTitle(
        QStringLiteral("T"), 0, QList<QSRemovedFilePtr>{record(-43), record(4), record(513)});
    ASSERT_EQ(item->failedFiles().size(), 1);
    EXPECT_EQ(item->failedFiles().first()->error()->code, 513);
    EXPECT_TRUE(QSRemovedItem::itemWithTitle(QStringLiteral("T"), 0, std::nullopt)
                    ->failedFiles()
                    .isEmpty());
}

TEST_F(ScanModelTest, NothingSelectedRemovesNothing) {
    auto file = fileAt(home_.file(QStringLiteral("keep"), 9), 9, false);
    auto result = std::make_shared<QSScanResult>(QStringLiteral("T"), QStringLiteral("t"), 99,
                                                 QList<QSScannedFilePtr>{file}, home_.path());
    bool success = false;
    const auto removed = deleteNow(result, &success);
    EXPECT_TRUE(success);
    EXPECT_EQ(removed->size(), 0u);
    EXPECT_TRUE(removed->files()->isEmpty());
    EXPECT_TRUE(exists(file->path()));
}

TEST_F(ScanModelTest, PathMarkersAreNeverTreatedAsFolders) {
    // A folder named like a marker in the working folder must survive.
    home_.file(QStringLiteral("large/inside"), 1);
    home_.file(QStringLiteral("partial/inside"), 1);
    ASSERT_EQ(chdir(home_.path().toUtf8().constData()), 0);
    for (const QString& marker :
         {kPathMarkerLarge, kPathMarkerPartial, kPathMarkerDeveloper, kPathMarkerIOS}) {
        auto result = std::make_shared<QSScanResult>(QStringLiteral("T"), QStringLiteral("t"), 77,
                                                     QList<QSScannedFilePtr>{}, marker);
        bool success = false;
        const auto removed = deleteNow(result, &success);
        EXPECT_TRUE(success) << marker.toStdString();
        EXPECT_EQ(removed->size(), 0u);
    }
    ASSERT_EQ(chdir("/"), 0);
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("large/inside"))));
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("partial/inside"))));
}

TEST_F(ScanModelTest, AResultWithoutAPathDeletesItsSelectedEntries) {
    auto file = fileAt(home_.file(QStringLiteral("cloud-trash/x"), 12), 12, true);
    auto result = std::make_shared<QSScanResult>(QStringLiteral("Trash"), QStringLiteral("trash"),
                                                 0, QList<QSScannedFilePtr>{file}, QString());
    const auto removed = deleteNow(result);
    EXPECT_EQ(removed->size(), 12u);
    EXPECT_FALSE(exists(file->path()));

    auto empty = std::make_shared<QSScanResult>(QStringLiteral("E"), QStringLiteral("e"), 5,
                                                QList<QSScannedFilePtr>{}, QString());
    QSRemovedItemPtr immediate;
    empty->deleteWithCompletionBlock([&](bool, QSRemovedItemPtr item) { immediate = item; });
    ASSERT_TRUE(immediate);  // at once, on the calling thread
    EXPECT_EQ(immediate->size(), 0u);
}

TEST_F(ScanModelTest, AResultWithoutEntriesNeverEmptiesItsFolder) {
    // Emptying the folder would remove what the scan never listed (hidden files).
    const QString folder = home_.folder(QStringLiteral("whole"));
    home_.file(QStringLiteral("whole/.hidden"), 1);
    auto result = std::make_shared<QSScanResult>(QStringLiteral("W"), QStringLiteral("w"), 1234,
                                                 QList<QSScannedFilePtr>{}, folder);
    bool success = false;
    const auto removed = deleteNow(result, &success);
    EXPECT_TRUE(success);
    EXPECT_EQ(removed->size(), 0u);
    EXPECT_TRUE(exists(home_.abs(QStringLiteral("whole/.hidden"))));
}

TEST_F(ScanModelTest, TotalsCountEachPathOnceAndLeaveLoginItemsOut) {
    const auto result = [](const QString& title, const QList<QSScannedFilePtr>& files) {
        return std::make_shared<QSScanResult>(title, title, 0, files, kPathMarkerLarge);
    };
    const QString part = QStringLiteral("/d/film.part");
    auto group = fileAt(QStringLiteral("/browser"), 0, true);
    group->setFiles({fileAt(QStringLiteral("/browser/cache"), 7, true), fileAt(part, 40, true)});
    const QList<QSScanResultPtr> results = {
        result(QStringLiteral("Partial Downloads"), {fileAt(part, 40, true)}),
        result(QStringLiteral("Downloads"),
               {fileAt(part, 40, false), fileAt(QStringLiteral("/d/x"), 3, false)}),
        result(QStringLiteral("Browser"), {group}),
        std::make_shared<QSUnremovableScanResult>(
            QStringLiteral("Login Items"), QStringLiteral("actual-login-items"), 0,
            QList<QSScannedFilePtr>{fileAt(QStringLiteral("/app"), 900, true)}, kPathMarkerLarge),
        nullptr,
    };
    const QSScanTotals totals = QSScanTotals::ofResults(results);
    EXPECT_EQ(totals.size, 50u);
    EXPECT_EQ(totals.files, 3);
}

TEST_F(ScanModelTest, AnUnremovableResultNeverRemovesAnything) {
    auto file = fileAt(home_.file(QStringLiteral("login-item"), 3), 3, true);
    auto result = std::make_shared<QSUnremovableScanResult>(
        QStringLiteral("Login Items"), QStringLiteral("actual-login-items"), 3,
        QList<QSScannedFilePtr>{file}, home_.path());
    QSRemovedItemPtr removed;
    result->deleteWithCompletionBlock([&](bool success, QSRemovedItemPtr item) {
        EXPECT_TRUE(success);
        removed = item;
    });
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->size(), 0u);
    EXPECT_FALSE(removed->files().has_value());
    EXPECT_TRUE(exists(file->path()));
}

TEST_F(ScanModelTest, AWatchedFileThatMovesIsFollowedAndAnnouncedOnce) {
    auto file = fileAt(home_.file(QStringLiteral("stuck"), 1), 1, true);
    auto record = std::make_shared<QSRemovedFile>(file, false, std::nullopt);
    int notifications = 0;
    const void* sender = nullptr;
    auto connection = QObject::connect(&NotificationCenter::defaultCenter(),
                                       &NotificationCenter::notificationPosted,
                                       [&](const QString& name, const void* object) {
                                           if (name != kQSFileMovedNotification) return;
                                           ++notifications;
                                           sender = object;
                                       });
    record->startListening();
    record->startListening();
    EXPECT_EQ(platform_.coordinator().presenterCount(), 1);
    // A folder whose name is not UTF-8 is kept exactly.
    const QString moved =
        platform::decodePath(QByteArray("/mov\xe9"
                                        "d/stuck"));
    platform_.coordinator().simulateMove(file->path(), moved);
    platform_.coordinator().simulateMove(moved, QStringLiteral("/again"));
    QObject::disconnect(connection);
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(sender, record.get());
    EXPECT_FALSE(record->listening());
    EXPECT_EQ(file->path(), moved);
    EXPECT_EQ(platform_.coordinator().presenterCount(), 0);
}

TEST_F(ScanModelTest, ARecordDestroyedWhileListeningUnregisters) {
    auto record =
        std::make_shared<QSRemovedFile>(fileAt(QStringLiteral("/x"), 1, true), false, std::nullopt);
    record->startListening();
    EXPECT_EQ(platform_.coordinator().presenterCount(), 1);
    record.reset();
    EXPECT_EQ(platform_.coordinator().presenterCount(), 0);
}

TEST(ScanModelText, DescriptionsAndQueueLabels) {
    FolderItem item(QStringLiteral("/p"));
    EXPECT_TRUE(item.description().contains(QStringLiteral(" title=Folder Things, path=/p>")));
    EXPECT_TRUE(
        item.description().startsWith(QStringLiteral("<(anonymous namespace)::FolderItem 0x")) ||
        item.description().startsWith(QStringLiteral("<FolderItem 0x")));
    EXPECT_EQ(queueLabelForTitle(QStringLiteral("scanner."), QStringLiteral("Application Caches")),
              u"org.sweepwell.scanner.applicationcaches");
    QSScanResult result(QStringLiteral("T"), QStringLiteral("t"), 5, {}, QString());
    EXPECT_TRUE(
        result.description().endsWith(QStringLiteral(": title=T, totalSize=5, details=0>")));
}

}  // namespace
