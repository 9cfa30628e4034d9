#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

#include "appearance/kp_navigation_controller.h"
#include "appearance/kp_table_view.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/theme_selection.h"
#include "base/sw_user_defaults.h"
#include "platform/fakes/fake_privileged_remover.h"
#include "platform/file_path.h"
#include "platform/inotify_file_coordinator.h"
#include "results/screens/sw_error_row_view.h"
#include "results/screens/sw_error_view_controller.h"
#include "results/screens/sw_finished_popover_view_controller.h"
#include "results/screens/sw_results_view_controller.h"
#include "results/screens/sw_sidebar_item_delegate.h"
#include "tests/results_screens/listed_entries.h"
#include "tests/results_screens/recording_desktop.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"

namespace {

using platform::Error;
using platform::fakes::FakePrivilegedRemover;

class ErrorScreenTest : public ::testing::Test {
protected:
    FixtureHome home;
    FakePlatform platform{home.path()};
    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    std::shared_ptr<FakePrivilegedRemover> remover = std::make_shared<FakePrivilegedRemover>();
    QWidget window;
    KPNavigationController navigation;
    std::shared_ptr<KPViewController> root = KPViewController::controllerWithView(new QWidget);
    std::shared_ptr<SWErrorViewController> screen;
    QList<QList<QSRemovedFilePtr>> finishes;

    void SetUp() override {
        SWThemeSelection::registerThemes();
        KPThemeManager::sharedManager().changeTheme("SWLightTheme");
        SWDesktop::setShared(desktop);
        platform::services().privilegedRemover = remover;
        window.resize(900, 600);
        navigation.setView(&window);
        navigation.setWindow(&window);
        navigation.setViewControllers({root}, false);
        window.show();
    }
    void TearDown() override {
        for (QMessageBox* alert : window.findChildren<QMessageBox*>())
            alert->done(0);
        screen.reset();
        navigation.setViewControllers({root}, false);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SWDesktop::setShared(nullptr);
    }

    // A file of the home that failed with that errno; its identity is what is there now.
    QSRemovedFilePtr failed(const QString& relative, int errnoValue, quint64 size = 10) {
        auto file = std::make_shared<QSScannedFile>();
        file->setPath(home.file(relative, size));
        file->setFileName(platform::lastPathComponent(relative));
        file->setFileSize(size);
        file->recordIdentityIfNeeded();
        return std::make_shared<QSRemovedFile>(file, false,
                                               Error::fromErrno(errnoValue, file->path()));
    }
    QSRemovedFilePtr removed(const QString& relative, quint64 size) {
        auto file = std::make_shared<QSScannedFile>();
        file->setPath(home.abs(relative));
        file->setFileSize(size);
        return std::make_shared<QSRemovedFile>(file, true, std::nullopt);
    }
    static QSRemovedItemPtr item(const QList<QSRemovedFilePtr>& records) {
        return QSRemovedItem::itemWithTitle(QStringLiteral("Caches"), 0, records);
    }

    void show(const QList<QSRemovedItemPtr>& items) {
        screen = SWErrorViewController::controllerWithResults(items);
        screen->setDidFinishBlock(
            [this](const QList<QSRemovedFilePtr>& success) { finishes << success; });
        navigation.pushViewController(screen, false);
        ASSERT_TRUE(waitUntil([&] { return navigation.currentViewController() == screen; }));
    }
    QWidget* outlet(const char* name) const {
        return screen->view()->findChild<QWidget*>(QLatin1String(name));
    }
    KPYosemiteButton* button(const char* name) const {
        return static_cast<KPYosemiteButton*>(outlet(name));
    }
    void clickRowButton(int row) {
        const QRect cell = screen->tableView()->visualRect(
            screen->model().index(row, SWErrorTableModel::ButtonColumn));
        QTest::mouseClick(screen->tableView()->viewport(), Qt::LeftButton, {},
                          SWErrorRowView::buttonRect(cell).center());
    }
    QStringList alerts() const {
        QStringList texts;
        for (QMessageBox* alert : window.findChildren<QMessageBox*>()) {
            if (alert->isVisible()) texts << alert->text() + "|" + alert->informativeText();
        }
        return texts;
    }
    QStringList listedPaths() const {
        QStringList paths;
        for (const auto& record : screen->resultsArray())
            paths << record->file()->path();
        return paths;
    }
    bool finishedBackAtTheRoot() {
        return waitUntil(
            [&] { return finishes.size() == 1 && navigation.currentViewController() == root; });
    }
};

TEST_F(ErrorScreenTest, ListsTheFailuresInOrderCountsTheRemovedAndWatchesTheFailed) {
    const auto a = removed("a", 100);
    const auto b = failed("b", EPERM);
    const auto c = failed("c", EROFS);
    const auto gone = std::make_shared<QSRemovedFile>(std::make_shared<QSScannedFile>(), false,
                                                      Error::fromErrno(ENOENT, home.abs("d")));
    show({item({a, b}), item({c, gone})});
    EXPECT_EQ(screen->resultsArray(), (QList<QSRemovedFilePtr>{b, c}));
    EXPECT_EQ(screen->successArray(), QList<QSRemovedFilePtr>{a});
    EXPECT_TRUE(b->listening() && c->listening());
    EXPECT_EQ(platform.coordinator().presenterCount(), 2);
    EXPECT_EQ(static_cast<QLabel*>(outlet("titleLabel"))->text(),
              u"The following files could not be deleted automatically. Use the 'Show in "
              u"Folder' button below to manually remove them:");
    EXPECT_EQ(button("nextButton")->accessibleName(), button("nextButton")->text());
    EXPECT_EQ(button("deleteAllButton")->accessibleName(), u"Delete All");
    EXPECT_FALSE(screen->tableView()->accessibleName().isEmpty());
    EXPECT_TRUE(screen->unconnectedActions().isEmpty())
        << screen->unconnectedActions().join(",").toStdString();
    // The rows are drawn: no widget per row.
    EXPECT_TRUE(screen->tableView()->findChildren<KPYosemiteButton*>().isEmpty());
}

TEST_F(ErrorScreenTest, TheDeleteButtonRemovesAsAdministratorAndTheLastFileFinishes) {
    const auto done = removed("done", 100);
    const auto b = failed("b", EPERM);
    const auto c = failed("c", EACCES);
    show({item({done, b, c})});
    const QString skip = button("nextButton")->text();
    clickRowButton(0);
    ASSERT_TRUE(waitUntil([&] { return screen->resultsArray().size() == 1; }));
    ASSERT_EQ(remover->calls().size(), 1);
    EXPECT_EQ(remover->calls()[0].handler, u"removeApplication");
    EXPECT_EQ(remover->calls()[0].paths, QStringList{b->file()->path()});
    EXPECT_FALSE(exists(b->file()->path()));
    EXPECT_FALSE(b->listening());
    EXPECT_NE(skip, u"Finish");
    EXPECT_EQ(button("nextButton")->text(), u"Finish");
    EXPECT_EQ(button("nextButton")->accessibleName(), u"Finish");
    EXPECT_TRUE(finishes.isEmpty());

    clickRowButton(0);
    ASSERT_TRUE(finishedBackAtTheRoot());
    ASSERT_EQ(finishes[0].size(), 3);
    EXPECT_EQ(finishes[0][0], done);
    for (const auto& record : finishes[0])
        EXPECT_TRUE(record->success() && !record->error());
    EXPECT_EQ(finishes[0][1]->file(), b->file());
    EXPECT_EQ(finishes[0][2]->file(), c->file());
    EXPECT_TRUE(desktop->revealed.isEmpty());
}

TEST_F(ErrorScreenTest, WithoutTheHelperOrForOtherReasonsTheButtonReveals) {
    const auto blocked = failed("blocked", EPERM);
    const auto readOnly = failed("read-only", EROFS);
    show({item({blocked, readOnly})});
    clickRowButton(1);
    remover->installed = false;
    clickRowButton(0);
    remover->installed = true;
    remover->available = false;
    clickRowButton(0);
    platform::services().privilegedRemover = nullptr;
    clickRowButton(0);
    QApplication::processEvents();
    EXPECT_EQ(desktop->revealed, (QStringList{readOnly->file()->path(), blocked->file()->path(),
                                              blocked->file()->path(), blocked->file()->path()}));
    EXPECT_TRUE(remover->calls().isEmpty());
    EXPECT_EQ(screen->resultsArray().size(), 2);
}

TEST_F(ErrorScreenTest, AFailedOrRefusedAdministratorRemovalKeepsTheRowAndSaysSo) {
    const auto kept = failed("kept", EPERM);
    const auto swapped = failed("swapped", EPERM, 10);
    show({item({kept, swapped})});
    remover->removes = [](const QString&) { return false; };
    clickRowButton(0);
    ASSERT_TRUE(waitUntil([&] { return !alerts().isEmpty(); }));
    EXPECT_EQ(alerts(), QStringList{"Could not remove this file|Sweepwell could not remove this "
                                    "file. \n\nPlease try again."});
    EXPECT_EQ(screen->resultsArray().size(), 2);
    for (QMessageBox* alert : window.findChildren<QMessageBox*>())
        alert->done(0);

    // Something else now lies at the path: it is never handed to the administrator.
    QFile::remove(swapped->file()->path());
    home.file("swapped", 20);
    remover->removes = nullptr;
    clickRowButton(1);
    ASSERT_TRUE(waitUntil([&] { return !alerts().isEmpty(); }));
    EXPECT_EQ(remover->calls().size(), 1);
    EXPECT_TRUE(exists(swapped->file()->path()));
    EXPECT_EQ(screen->resultsArray().size(), 2);
}

TEST_F(ErrorScreenTest, DeleteAllChecksTheHelperAndRemovesOnlyPermissionBlockedFiles) {
    const auto b = failed("b", EPERM);
    const auto readOnly = failed("read-only", EROFS);
    const auto e = failed("e", EACCES);
    show({item({b, readOnly, e})});
    remover->installed = false;
    QTest::mouseClick(button("deleteAllButton"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !alerts().isEmpty(); }));
    EXPECT_TRUE(alerts().first().startsWith(SWErrorViewController::kHelperMissingMessage));
    EXPECT_TRUE(remover->calls().isEmpty());
    for (QMessageBox* alert : window.findChildren<QMessageBox*>())
        alert->done(0);

    // The helper takes one of the two; that one leaves the list, the other stays.
    remover->installed = true;
    remover->removes = [&](const QString& path) { return path == b->file()->path(); };
    screen->deleteAll();
    ASSERT_TRUE(waitUntil([&] { return !alerts().isEmpty(); }));
    ASSERT_EQ(remover->calls().size(), 1);
    EXPECT_EQ(remover->calls()[0].handler, u"removeApplications");
    EXPECT_EQ(remover->calls()[0].paths, (QStringList{b->file()->path(), e->file()->path()}));
    EXPECT_EQ(alerts(), QStringList{"Could not remove one or more files|Sweepwell could not "
                                    "remove some of these files. \n\nPlease try again."});
    EXPECT_EQ(screen->resultsArray(), (QList<QSRemovedFilePtr>{readOnly, e}));
    for (QMessageBox* alert : window.findChildren<QMessageBox*>())
        alert->done(0);

    remover->removes = nullptr;
    screen->deleteAll();
    ASSERT_TRUE(waitUntil([&] { return screen->resultsArray().size() == 1; }));
    EXPECT_TRUE(alerts().isEmpty());
    screen->deleteAll();
    ASSERT_TRUE(waitUntil([&] { return !alerts().isEmpty(); }));
    EXPECT_EQ(alerts(), QStringList{"No files available for removal.|"});
    EXPECT_EQ(remover->calls().size(), 2);
    EXPECT_TRUE(finishes.isEmpty());
}

TEST_F(ErrorScreenTest, AFileMovedIntoTheTrashLeavesTheListAndAMoveElsewhereKeepsIt) {
    const auto a = failed("a", EROFS);
    const auto b = failed("b", EROFS);
    show({item({a, b})});
    const QString trash = home.abs(".local/share/Trash/files");
    const QString elsewhere = home.abs("Desktop/a");
    platform.coordinator().simulateMove(a->file()->path(), elsewhere);
    QApplication::processEvents();
    EXPECT_EQ(listedPaths(), (QStringList{elsewhere, b->file()->path()}));
    // Still watched at its new place: a later move into the trash is seen.
    EXPECT_EQ(platform.coordinator().presenterCount(), 2);
    platform.coordinator().simulateMove(elsewhere, trash + "/a");
    EXPECT_EQ(listedPaths().size(), 2) << "resolved on the next pass, not inside the move";
    ASSERT_TRUE(waitUntil([&] { return listedPaths() == QStringList{b->file()->path()}; }));
    EXPECT_EQ(button("nextButton")->text(), u"Finish");

    // A folder merely named like a trash is not one.
    const QString lookalike = home.abs("Documents/.Trash/b");
    platform.coordinator().simulateMove(b->file()->path(), lookalike);
    QApplication::processEvents();
    EXPECT_EQ(listedPaths(), QStringList{lookalike});
    platform.coordinator().simulateMove(lookalike, trash + "/b");
    ASSERT_TRUE(finishedBackAtTheRoot());
    ASSERT_EQ(finishes[0].size(), 2);
    EXPECT_EQ(finishes[0][0]->file(), a->file());
    EXPECT_EQ(platform.coordinator().presenterCount(), 0);
}

TEST_F(ErrorScreenTest, FinishingTwiceReturnsOnceAndEndsEveryWatch) {
    const auto a = failed("a", EPERM);
    show({item({a, failed("b", EPERM)})});
    QTest::mouseClick(button("nextButton"), Qt::LeftButton);
    screen->finish();
    ASSERT_TRUE(finishedBackAtTheRoot());
    EXPECT_TRUE(finishes[0].isEmpty());
    EXPECT_EQ(platform.coordinator().presenterCount(), 0);
    // A move reported late changes nothing any more.
    platform.coordinator().simulateMove(a->file()->path(), home.abs(".local/share/Trash/files/a"));
    QTest::qWait(int(SWErrorViewController::kFinishDelaySeconds * 1000) + 100);
    EXPECT_EQ(finishes.size(), 1);
    EXPECT_EQ(screen->resultsArray().size(), 2);
}

TEST_F(ErrorScreenTest, AScreenThatGoesAwayEndsItsWatches) {
    const auto a = failed("a", EPERM);
    show({item({a})});
    EXPECT_EQ(platform.coordinator().presenterCount(), 1);
    navigation.setViewControllers({root}, false);
    screen.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(platform.coordinator().presenterCount(), 0);
    EXPECT_FALSE(a->listening());
}

TEST_F(ErrorScreenTest, TheContextMenuRevealsAFileThatIsStillThereAndBeepsOtherwise) {
    const auto here = failed("here", EPERM);
    const auto gone = failed("gone", EPERM);
    show({item({here, gone})});
    QFile::remove(gone->file()->path());
    EXPECT_FALSE(screen->validateMenuItem(-1));
    EXPECT_FALSE(screen->validateMenuItem(2));
    EXPECT_TRUE(screen->validateMenuItem(0));
    ASSERT_EQ(screen->contextMenu()->actions().size(), 1);
    EXPECT_EQ(screen->contextMenu()->actions()[0]->text(), u"Show in Folder");
    screen->showInFinder(0);
    screen->showInFinder(1);
    screen->showInFinder(-1);
    EXPECT_EQ(desktop->revealed, QStringList{here->file()->path()});
    EXPECT_EQ(desktop->beeps, 1);
}

// The real watcher: a rename into the home's trash, as a file manager does it.
TEST_F(ErrorScreenTest, ARealMoveIntoTheTrashResolvesTheFile) {
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", platform::encodePath(home.abs(".local/share")));
    platform::services().fileCoordinator = std::make_shared<platform::InotifyFileCoordinator>();
    const QString trash = home.folder(".local/share/Trash/files");
    const auto a = failed("folder/a", EROFS);
    show({item({a})});
    const bool renamed = QFile::rename(a->file()->path(), trash + "/a");
    const bool resolved = renamed && finishedBackAtTheRoot();
    screen.reset();
    navigation.setViewControllers({root}, false);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    platform::services().fileCoordinator.reset();
    if (savedDataHome.isNull()) {
        qunsetenv("XDG_DATA_HOME");
    } else {
        qputenv("XDG_DATA_HOME", savedDataHome);
    }
    ASSERT_TRUE(renamed);
    ASSERT_TRUE(resolved);
    ASSERT_EQ(finishes[0].size(), 1);
    EXPECT_EQ(finishes[0][0]->file()->path(), trash + "/a");
}

// The screen as a person sees it, in both themes.
TEST_F(ErrorScreenTest, Screenshots) {
    const QString folder = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    const QList<QSRemovedFilePtr> records = {
        failed("Library/Caches/org.example.Editor/cache.db", EPERM),
        failed(".cache/thumbnails/large/0c5a3e8f1b2d4c6e8a0b1c2d3e4f5a6b.png", EROFS),
        failed("Downloads/installer.deb", EBUSY),
        failed("a rather long folder name for the path/with several levels/and more of "
               "them/still deeper/the file at the end.txt",
               EACCES)};
    show({item(records)});
    for (const bool dark : {false, true}) {
        KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
        QApplication::processEvents();
        EXPECT_TRUE(window.grab().save(folder + "/error-" + (dark ? "dark" : "light") + ".png"));
    }
}

// A category whose removal leaves the files named "stuck" behind, refused, and reports the
// others removed, without touching the disk.
class StuckResult : public QSScanResult {
public:
    using QSScanResult::QSScanResult;
    void deleteFiles(const QList<QSScannedFilePtr>& files, DeleteCompletion block,
                     StopFlag) override {
        QList<QSRemovedFilePtr> records;
        for (const QSScannedFilePtr& file : files) {
            const bool stuck = file->fileName().startsWith("stuck");
            records << std::make_shared<QSRemovedFile>(
                file, !stuck,
                stuck ? std::optional(Error::fromErrno(EPERM, file->path())) : std::nullopt);
        }
        block(true, QSRemovedItem::itemWithTitle(title(), 0, records));
    }
};

class StuckItem : public QSScanItem {
public:
    StuckItem(QString folder, QStringList files)
        : folder_(std::move(folder)), files_(std::move(files)) {}
    QString title() const override { return QStringLiteral("Caches"); }
    QString key() const override { return QStringLiteral("caches"); }
    QString path() const override { return folder_; }
    QSScanResultPtr actuallyScan() override {
        const QList<QSScannedFilePtr> details = listedEntries(files_);
        return std::make_shared<StuckResult>(title(), key(), 0, details, folder_);
    }

private:
    QString folder_;
    QStringList files_;
};

// The whole road from the remove button, with the results screen at the root.
class ResultsToErrorScreenTest : public ErrorScreenTest {
protected:
    std::shared_ptr<SWResultsViewController> results;

    void SetUp() override {
        ErrorScreenTest::SetUp();
        SWUserDefaults::standardUserDefaults().setSelectedStates(std::nullopt);
        results = KPViewController::controller<SWResultsViewController>();
        navigation.setViewControllers({results}, false);
    }
    void TearDown() override {
        navigation.setViewControllers({root}, false);
        results.reset();
        ErrorScreenTest::TearDown();
    }
    void removeThrough(const QStringList& files) {
        results->scanner().setScanItems({std::make_shared<StuckItem>(home.abs("junk"), files)});
        results->startScanningSelectedVolume();
        ASSERT_TRUE(waitUntil([&] { return !results->model().isScanning(); }));
        auto* table = results->view()->findChild<QTableView*>(QStringLiteral("tableView"));
        QRect cell;
        ASSERT_TRUE(waitUntil([&] {
            cell =
                table->visualRect(results->model().index(0, SWResultsSidebarModel::EnableColumn));
            // The category's own row, laid out: a heading would span the whole row.
            return table->isVisible() && cell.left() > 0;
        }));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          SWSidebarItemDelegate::switchRect(cell).center());
        auto* next = results->view()->findChild<QAbstractButton*>(QStringLiteral("nextButton"));
        ASSERT_TRUE(waitUntil([&] { return next->isEnabled(); }));
        QTest::mouseClick(next, Qt::LeftButton);
        auto* confirm = window.findChild<QAbstractButton*>(QStringLiteral("cleanButton"));
        ASSERT_TRUE(confirm);
        QTest::mouseClick(confirm, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] {
            screen = std::dynamic_pointer_cast<SWErrorViewController>(
                navigation.currentViewController());
            return screen != nullptr;
        }));
    }
    bool removeButtonEnabled() const {
        return results->view()
            ->findChild<QAbstractButton*>(QStringLiteral("nextButton"))
            ->isEnabled();
    }
};

TEST_F(ResultsToErrorScreenTest, FailuresShowTheErrorScreenAndFinishingCompletesWhatWasRemoved) {
    removeThrough({home.file("junk/stuck", 500), home.file("junk/freed", 3000)});
    EXPECT_EQ(listedPaths(), QStringList{home.abs("junk/stuck")});
    EXPECT_FALSE(results->finishedPopoverViewController());
    EXPECT_TRUE(window.findChildren<QMessageBox*>().isEmpty());
    QTest::mouseClick(button("nextButton"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return results->finishedPopoverViewController() != nullptr; }));
    EXPECT_EQ(navigation.currentViewController(), results);
    EXPECT_EQ(results->finishedPopoverViewController()->resultsArray().size(), 1);
    QLabel* sentence = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QLabel* label : window.findChildren<QLabel*>(QStringLiteral("label")))
            if (label->text().contains("successfully removed")) sentence = label;
        return sentence != nullptr;
    }));
    EXPECT_TRUE(sentence->text().contains("3.00 KB")) << sentence->text().toStdString();
}

TEST_F(ResultsToErrorScreenTest, FinishingWithNothingRemovedShowsNoCompletionAndStartsNoScan) {
    removeThrough({home.file("junk/stuck", 500)});
    EXPECT_FALSE(removeButtonEnabled());
    QTest::mouseClick(button("nextButton"), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return navigation.currentViewController() == results; }));
    // Past the delay and a scan's own half second: nothing comes.
    ASSERT_TRUE(waitUntil([&] { return removeButtonEnabled(); }));
    QTest::qWait(int(SWResultsViewController::kScanDelaySeconds * 1000) + 300);
    EXPECT_FALSE(results->finishedPopoverViewController());
    EXPECT_FALSE(results->model().isScanning());
    EXPECT_EQ(results->model().rowForKey("caches")->title(), u"Caches");
}

}  // namespace
