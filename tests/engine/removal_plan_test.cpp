#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QJsonObject>
#include <QTemporaryDir>

#include "engine/categories/application_caches_item.h"
#include "engine/categories/message_attachments_item.h"
#include "engine/removal_log.h"
#include "engine/removal_plan.h"
#include "engine/scanner.h"
#include "platform/file_manager.h"
#include "platform/file_path.h"
#include "platform/unique_fd.h"
#include "tests/support/folder_fixtures.h"

namespace {

QSScannedFilePtr entryAt(const QString& path, quint64 size, bool selected) {
    auto file = std::make_shared<QSScannedFile>();
    file->setPath(path);
    file->setFileName(platform::lastPathComponent(path));
    file->setFileSize(size);
    file->setSelected(selected);
    file->recordIdentityIfNeeded();
    return file;
}

QSScanResultPtr resultOf(const QString& title, const QList<QSScannedFilePtr>& files) {
    return std::make_shared<QSScanResult>(title, title.toLower(), 0, files,
                                          QStringLiteral("large"));
}

QList<QSRemovedItemPtr> deletePlanNow(const QSRemovalPlan& plan) {
    QList<QSRemovedItemPtr> removed;
    bool done = false;
    QSScanner::deletePlan(plan, [&](const QList<QSRemovedItemPtr>& items) {
        removed = items;
        done = true;
    });
    EXPECT_TRUE(waitUntil([&] { return done; }));
    return removed;
}

qsizetype attemptsIn(const QList<QSRemovedItemPtr>& removed) {
    qsizetype count = 0;
    for (const auto& item : removed)
        count += item->files().value_or(QList<QSRemovedFilePtr>()).size();
    return count;
}

class RemovalPlanTest : public ::testing::Test {
protected:
    FolderFixture fixture;
    FixtureHome& home = fixture.home();
};

TEST_F(RemovalPlanTest, TakesOnlyWhatARowShowsAndTheUserTicked) {
    auto shown = entryAt(home.file(QStringLiteral("shown"), 5), 5, true);
    auto empty = entryAt(home.file(QStringLiteral("empty"), 0), 0, true);
    auto unticked = entryAt(home.file(QStringLiteral("unticked"), 5), 5, false);
    auto inDisabled = entryAt(home.file(QStringLiteral("in-disabled"), 5), 5, true);
    auto loginItem = entryAt(home.file(QStringLiteral("login-item"), 5), 5, true);
    auto disabled = resultOf(QStringLiteral("Disabled"), {inDisabled});
    disabled->setDisabled(true);
    const QList<QSScanResultPtr> results = {
        resultOf(QStringLiteral("Caches"), {shown, empty, unticked}), disabled,
        std::make_shared<QSUnremovableScanResult>(
            QStringLiteral("Login Items"), QStringLiteral("actual-login-items"), 0,
            QList<QSScannedFilePtr>{loginItem}, QStringLiteral("large")),
        nullptr,  // a category still scanning
    };

    const QSRemovalPlan plan = QSRemovalPlan::planWithResults(results);
    ASSERT_EQ(plan.parts().size(), 3);
    EXPECT_EQ(plan.fileCount(), 1);
    EXPECT_EQ(entryPathsOf(plan.parts().first().files), QStringList{shown->path()});
    const auto removed = deletePlanNow(plan);
    EXPECT_EQ(removed.size(), 3);
    EXPECT_FALSE(exists(shown->path()));
    for (const auto& kept : {empty, unticked, inDisabled, loginItem})
        EXPECT_TRUE(exists(kept->path())) << kept->path().toStdString();
}

TEST_F(RemovalPlanTest, SelectingAllNeverSwitchesALoginItem) {
    auto item = entryAt(home.file(QStringLiteral("login-item"), 5), 5, false);
    auto file = entryAt(home.file(QStringLiteral("cache"), 5), 5, false);
    const auto loginItems = std::make_shared<QSUnremovableScanResult>(
        QStringLiteral("Login Items"), QStringLiteral("actual-login-items"), 0,
        QList<QSScannedFilePtr>{item}, QStringLiteral("large"));
    loginItems->setAllFilesSelected(true);
    resultOf(QStringLiteral("Caches"), {file})->setAllFilesSelected(true);
    EXPECT_FALSE(item->selected());
    EXPECT_TRUE(file->selected());
}

TEST_F(RemovalPlanTest, TicksChangedAfterConfirmationDoNotChangeThePlan) {
    auto ticked = entryAt(home.file(QStringLiteral("ticked"), 5), 5, true);
    auto later = entryAt(home.file(QStringLiteral("ticked-later"), 5), 5, false);
    const QSRemovalPlan plan =
        QSRemovalPlan::planWithResults({resultOf(QStringLiteral("Caches"), {ticked, later})});
    ticked->setSelected(false);
    later->setSelected(true);
    deletePlanNow(plan);
    EXPECT_FALSE(exists(ticked->path()));
    EXPECT_TRUE(exists(later->path()));
}

TEST_F(RemovalPlanTest, APathListedByThreeCategoriesIsRemovedOnceWithoutAFailure) {
    const QString path = home.file(QStringLiteral("Downloads/film.mkv.part"), 40);
    QList<QSScanResultPtr> results;
    for (const char* title : {"Partial Downloads", "Downloads", "Large Files"})
        results.append(resultOf(QString::fromLatin1(title), {entryAt(path, 40, true)}));

    const auto removed = deletePlanNow(QSRemovalPlan::planWithResults(results));
    ASSERT_EQ(removed.size(), 3);
    EXPECT_EQ(attemptsIn(removed), 1);
    quint64 freed = 0;
    for (const auto& item : removed) {
        EXPECT_TRUE(item->failedFiles().isEmpty()) << item->title().toStdString();
        freed += item->size();
    }
    EXPECT_EQ(freed, 40u);
    EXPECT_FALSE(exists(path));
}

TEST_F(RemovalPlanTest, AnEntryReplacedAfterTheScanIsLeftAndReportedAsChanged) {
    home.write(QStringLiteral("Library/Caches/org.example.app"), "cached");
    home.file(QStringLiteral("Library/Caches/org.example.other/blob"), 3);
    const auto result = fixture.scan(QSApplicationCachesItem::item());
    ASSERT_EQ(result->detailArray().size(), 2);

    // Between the scan and the clean, a folder of documents takes the cache file's name.
    const QString replaced = home.abs(QStringLiteral("Library/Caches/org.example.app"));
    ASSERT_EQ(unlink(platform::encodePath(replaced).constData()), 0);
    home.file(QStringLiteral("Library/Caches/org.example.app/thesis.odt"), 300);

    const auto removed = deletePlanNow(QSRemovalPlan::planWithResults({result}));
    ASSERT_EQ(removed.size(), 1);
    ASSERT_EQ(removed.first()->failedFiles().size(), 1);
    const auto& failure = removed.first()->failedFiles().first();
    EXPECT_EQ(failure->file()->path(), replaced);
    EXPECT_EQ(failure->error()->code, platform::Error::kFileChangedSinceScan);
    EXPECT_EQ(removed.first()->size(), 3u);
    EXPECT_TRUE(exists(home.abs(QStringLiteral("Library/Caches/org.example.app/thesis.odt"))));
    EXPECT_FALSE(exists(home.abs(QStringLiteral("Library/Caches/org.example.other"))));
}

TEST_F(RemovalPlanTest, ACategoryFolderTheUserLinkedInIsScannedAndCleanedWhereItLeads) {
    home.file(QStringLiteral("data/caches/org.example.app/blob"), 8);
    home.folder(QStringLiteral("Library"));
    home.symlink(QStringLiteral("Library/Caches"), home.abs(QStringLiteral("data/caches")));
    const auto result = fixture.scan(QSApplicationCachesItem::item());
    ASSERT_EQ(result->detailArray().size(), 1);
    EXPECT_EQ(result->detailArray().first()->fileSize(), 8u);
    const auto removed = deletePlanNow(QSRemovalPlan::planWithResults({result}));
    EXPECT_TRUE(removed.first()->failedFiles().isEmpty());
    EXPECT_FALSE(exists(home.abs(QStringLiteral("data/caches/org.example.app"))));
    EXPECT_TRUE(exists(home.abs(QStringLiteral("Library/Caches"))));
}

// Folders `depth` deep below `top`, made through descriptors (the whole path is longer
// than a path may be), with a file of `size` bytes at the bottom. Returns its path.
QString deepFile(const QString& top, int depth, int size) {
    platform::UniqueFd fd(open(platform::encodePath(top).constData(), O_RDONLY | O_DIRECTORY));
    QString path = top;
    for (int level = 0; level < depth; ++level) {
        mkdirat(fd.get(), "folder-at-this-level", 0755);
        fd.reset(openat(fd.get(), "folder-at-this-level", O_RDONLY | O_DIRECTORY));
        path += QStringLiteral("/folder-at-this-level");
    }
    platform::UniqueFd file(openat(fd.get(), "deep.bin", O_CREAT | O_WRONLY, 0644));
    EXPECT_EQ(ftruncate(file.get(), size), 0);
    return path + QStringLiteral("/deep.bin");
}

TEST_F(RemovalPlanTest, AnEntryDeeperThanAPathCanNameIsRemovedThroughItsFolders) {
    const QString attachments = home.folder(QStringLiteral("Library/Messages/Attachments"));
    const QString deep = deepFile(attachments, 300, 11);
    ASSERT_GT(platform::encodePath(deep).size(), PATH_MAX);
    const auto result = fixture.scan(QSMessageAttachmentsItem::item());
    ASSERT_EQ(entryPathsOf(result->detailArray()), QStringList{deep});
    EXPECT_EQ(result->detailArray().first()->fileSize(), 11u);

    const auto removed = deletePlanNow(QSRemovalPlan::planWithResults({result}));
    ASSERT_EQ(attemptsIn(removed), 1);
    EXPECT_TRUE(removed.first()->files()->first()->success());
    EXPECT_EQ(removed.first()->size(), 11u);
    EXPECT_EQ(platform::itemKind(deep), platform::ItemKind::Missing);
    std::vector<platform::RemovalFailure> failures;
    platform::removeDirectory(attachments, false, &failures);  // the folders, for the cleanup
    EXPECT_TRUE(failures.empty());
}

TEST_F(RemovalPlanTest, AFolderRemovedInPartSaysWhatFailedAndWhyAndCountsWhatWasFreed) {
    home.file(QStringLiteral("Library/Caches/org.example.app/gone"), 20);
    home.file(QStringLiteral("Library/Caches/org.example.app/locked/kept"), 50);
    const auto result = fixture.scan(QSApplicationCachesItem::item());
    ASSERT_EQ(result->detailArray().size(), 1);
    if (!home.setImmutable(QStringLiteral("Library/Caches/org.example.app/locked/kept"), true)) {
        GTEST_SKIP() << "no immutable files here";
    }
    const auto removed = deletePlanNow(QSRemovalPlan::planWithResults({result}));
    home.setImmutable(QStringLiteral("Library/Caches/org.example.app/locked/kept"), false);

    ASSERT_EQ(removed.first()->failedFiles().size(), 1);
    const platform::Error& error = *removed.first()->failedFiles().first()->error();
    const QString folder = home.abs(QStringLiteral("Library/Caches/org.example.app"));
    EXPECT_EQ(error.code, platform::Error::kFileWriteNoPermission);
    EXPECT_EQ(error.description,
              QStringLiteral("Some items in \u201c%1\u201d could not be removed: "
                             "\u201c%1/locked/kept\u201d: Operation not permitted")
                  .arg(folder));
    EXPECT_EQ(removed.first()->size(), 20u);
}

}  // namespace

namespace {

class RemovalLogTest : public RemovalPlanTest {
protected:
    void SetUp() override {
        QSRemovalLog::sharedLog().open(QStringLiteral("test"), folder_.path());
    }
    void TearDown() override { QSRemovalLog::sharedLog().close(); }
    QTemporaryDir folder_;
};

TEST_F(RemovalLogTest, EveryAttemptIsOneCompleteLineSayingWhatHappenedAndWhy) {
    auto removed = entryAt(home.file(QStringLiteral("removed"), 5), 5, true);
    auto changed = entryAt(home.file(QStringLiteral("changed"), 5), 5, true);
    home.write(QStringLiteral("changed"), "other content");
    deletePlanNow(
        QSRemovalPlan::planWithResults({resultOf(QStringLiteral("Caches"), {removed, changed})}));

    const QByteArray log = readAll(folder_.path() + QStringLiteral("/removals.jsonl"));
    EXPECT_EQ(log.count('\n'), 2);
    const auto entries = QSRemovalLog::readEntries(folder_.path());
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].value(QStringLiteral("frontEnd")).toString(), u"test");
    EXPECT_EQ(entries[0].value(QStringLiteral("category")).toString(), u"caches");
    EXPECT_EQ(entries[0].value(QStringLiteral("path")).toString(), removed->path());
    EXPECT_EQ(entries[0].value(QStringLiteral("outcome")).toString(), u"removed");
    EXPECT_EQ(entries[0].value(QStringLiteral("size")).toInt(), 5);
    EXPECT_TRUE(entries[0].value(QStringLiteral("error")).isNull());
    EXPECT_EQ(entries[0]
                  .value(QStringLiteral("identity"))
                  .toObject()
                  .value(QStringLiteral("inode"))
                  .toDouble(),
              double(removed->identity().inode));
    EXPECT_EQ(entries[1].value(QStringLiteral("outcome")).toString(), u"changed");
    EXPECT_EQ(entries[1]
                  .value(QStringLiteral("error"))
                  .toObject()
                  .value(QStringLiteral("description"))
                  .toString(),
              u"The file changed after the scan.");
}

TEST_F(RemovalLogTest, RotatesAndReadsTheKeptFilesOldestFirst) {
    QSRemovalLog::sharedLog().open(QStringLiteral("test"), folder_.path(), 1000);
    QList<QSScannedFilePtr> files;
    for (int i = 0; i < 40; ++i)
        files.append(
            entryAt(home.file(QStringLiteral("f%1").arg(i, 2, 10, QChar(u'0')), 1), 1, true));
    deletePlanNow(QSRemovalPlan::planWithResults({resultOf(QStringLiteral("Caches"), files)}));

    EXPECT_TRUE(exists(folder_.path() + QStringLiteral("/removals.jsonl.3")));
    EXPECT_FALSE(exists(folder_.path() + QStringLiteral("/removals.jsonl.4")));
    const auto entries = QSRemovalLog::readEntries(folder_.path(), 1000);
    ASSERT_FALSE(entries.isEmpty());
    EXPECT_LT(entries.size(), 40);
    EXPECT_EQ(entries.last().value(QStringLiteral("path")).toString(), files.last()->path());
    for (qsizetype i = 1; i < entries.size(); ++i) {
        EXPECT_LT(entries[i - 1].value(QStringLiteral("path")).toString(),
                  entries[i].value(QStringLiteral("path")).toString());
    }
}

}  // namespace
