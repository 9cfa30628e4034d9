#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QTest>

#include "appearance/kp_theme_manager.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/tg_switch.h"
#include "appearance/theme_selection.h"
#include "base/sw_user_defaults.h"
#include "platform/file_path.h"
#include "results/screens/ln_table_view.h"
#include "results/screens/sw_desktop.h"
#include "results/screens/sw_detail_view_controller.h"
#include "results/screens/sw_finished_popover_view_controller.h"
#include "results/screens/sw_results_view_controller.h"
#include "results/screens/sw_sidebar_item_delegate.h"
#include "results/screens/sw_time_machine_popover_view_controller.h"
#include "tests/results_screens/listed_entries.h"
#include "tests/results_screens/recording_desktop.h"
#include "tests/support/fixture_home.h"

namespace {

// A category that lists the files it is given, under a folder of the test.
class ListedItem : public QSScanItem {
public:
    ListedItem(QString key, QString folder, QStringList files, bool unremovable = false)
        : key_(std::move(key)),
          folder_(std::move(folder)),
          files_(std::move(files)),
          unremovable_(unremovable) {}
    QString title() const override { return key_.toUpper(); }
    QString key() const override { return key_; }
    QString path() const override { return folder_; }
    QSScanResultPtr actuallyScan() override {
        const QList<QSScannedFilePtr> details = listedEntries(files_);
        if (unremovable_) {
            return std::make_shared<QSUnremovableScanResult>(title(), key(), 0, details, folder_);
        }
        return std::make_shared<QSScanResult>(title(), key(), 0, details, folder_);
    }

private:
    QString key_, folder_;
    QStringList files_;
    bool unremovable_;
};

void useTheme(bool dark) {
    SWThemeSelection::registerThemes();
    KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
}

class ResultsScreenTest : public ::testing::Test {
protected:
    FixtureHome home;
    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    QWidget window;
    std::shared_ptr<SWResultsViewController> screen;

    void SetUp() override {
        useTheme(false);
        SWDesktop::setShared(desktop);
        SWUserDefaults::standardUserDefaults().setSelectedStates(std::nullopt);
        window.resize(900, 600);
    }
    void TearDown() override {
        // A screen whose scan still runs must not report into the next test.
        screen.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SWDesktop::setShared(nullptr);
    }

    // Loads the screen over the given categories and waits for the scan's end.
    void scan(QList<std::shared_ptr<QSScanItem>> items) {
        if (screen) screen->view()->hide();
        screen = KPViewController::controller<SWResultsViewController>();
        screen->setParentWindow(&window);
        screen->view()->setParent(&window);
        screen->view()->resize(window.size());
        screen->view()->show();
        window.show();
        screen->scanner().setScanItems(items);
        screen->startScanningSelectedVolume();
        ASSERT_TRUE(waitUntil([&] { return !screen->model().isScanning(); }));
    }
    KPYosemiteButton* nextButton() {
        return screen->view()->findChild<KPYosemiteButton*>(QStringLiteral("nextButton"));
    }
    LNTableView* table() {
        return screen->view()->findChild<LNTableView*>(QStringLiteral("tableView"));
    }
    void clickSwitch(int row) {
        const QRect cell =
            table()->visualRect(screen->model().index(row, SWResultsSidebarModel::EnableColumn));
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                          SWSidebarItemDelegate::switchRect(cell).center());
    }
    QStringList cacheFiles() { return {home.file("junk/one", 3000), home.file("junk/two", 2000)}; }
};

TEST_F(ResultsScreenTest, AScanFillsTheSidebarAndAnnouncesItsEnd) {
    scan({std::make_shared<ListedItem>("caches", home.path() + "/junk", cacheFiles()),
          std::make_shared<ListedItem>("empty", home.path() + "/junk", QStringList()),
          std::make_shared<ListedItem>(SWResultRow::kLoginItemsKey, home.path() + "/junk",
                                       QStringList{home.file("autostart.desktop", 10)}, true)});
    EXPECT_EQ(screen->model().resultsOrderKeys(),
              (QStringList{"caches", SWResultRow::kLoginItemsKey, QString(), "empty"}));
    ASSERT_EQ(desktop->notifications.size(), 1);
    EXPECT_EQ(desktop->notifications.first(), u"Scan Complete|5.00 KB of removable files found");
    EXPECT_EQ(desktop->attention, 1);
    EXPECT_EQ(nextButton()->text(), u"Remove Selected Files");
    EXPECT_EQ(nextButton()->width(), 169);
    EXPECT_FALSE(nextButton()->isEnabled());
    // A click on the heading selects nothing; one on a row that found nothing shows it
    // and switches nothing on.
    clickSwitch(2);
    EXPECT_TRUE(table()->selectionModel()->selectedRows().isEmpty());
    clickSwitch(3);
    EXPECT_FALSE(screen->model().rowForKey("empty")->selected());
    EXPECT_FALSE(nextButton()->isEnabled());
    EXPECT_EQ(screen->currentViewController()->row()->key(), u"empty");
}

TEST_F(ResultsScreenTest, SwitchingACategoryOnShowsItAndRemovingFreesExactlyItsTickedFiles) {
    const QStringList files = cacheFiles();
    const QString kept = home.file("kept/three", 100);
    scan({std::make_shared<ListedItem>("caches", home.path() + "/junk", files),
          std::make_shared<ListedItem>("other", home.path() + "/kept", QStringList{kept})});
    clickSwitch(0);
    EXPECT_TRUE(screen->model().rowForKey("caches")->selected());
    EXPECT_EQ(SWUserDefaults::standardUserDefaults().selectedStates()->value("caches"),
              QVariant(true));
    ASSERT_TRUE(screen->currentViewController());
    EXPECT_EQ(screen->currentViewController()->row()->key(), u"caches");
    ASSERT_TRUE(nextButton()->isEnabled());

    QList<bool> removalStates;
    screen->setRemovalStateBlock([&](bool removing) { removalStates << removing; });
    QTest::mouseClick(nextButton(), Qt::LeftButton);
    EXPECT_FALSE(nextButton()->isEnabled());
    EXPECT_TRUE(removalStates.isEmpty()) << "asking is not removing yet";
    auto* confirm = window.findChild<QAbstractButton*>(QStringLiteral("cleanButton"));
    ASSERT_TRUE(confirm);
    QTest::mouseClick(confirm, Qt::LeftButton);
    QLabel* sentence = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        for (QLabel* label : window.findChildren<QLabel*>(QStringLiteral("label")))
            if (label->text().contains("successfully removed")) sentence = label;
        return sentence != nullptr;
    }));
    EXPECT_TRUE(sentence->text().contains("5.00 KB")) << sentence->text().toStdString();
    for (const QString& file : files)
        EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_FALSE(nextButton()->isEnabled());
    EXPECT_EQ(removalStates, (QList<bool>{true, false}));

    // The next scan's placeholders come at once; the button waits for its end.
    auto* scanAgain = window.findChild<QAbstractButton*>(QStringLiteral("scanAgainButton"));
    ASSERT_TRUE(scanAgain);
    QTest::mouseClick(scanAgain, Qt::LeftButton);
    EXPECT_TRUE(screen->model().isScanning());
    EXPECT_EQ(nextButton()->text(), u"Scanning...");
    EXPECT_EQ(nextButton()->width(), 100);
    ASSERT_TRUE(waitUntil([&] { return !screen->model().isScanning(); }));
    EXPECT_EQ(screen->currentViewController()->row(), screen->model().rowForKey("caches"));
}

TEST_F(ResultsScreenTest, TheSpaceKeyFlipsTheSwitchOfTheCurrentRow) {
    scan({std::make_shared<ListedItem>("caches", home.path() + "/junk", cacheFiles())});
    table()->setFocus();
    table()->setCurrentIndex(screen->model().index(0, 0));
    QTest::keyClick(table(), Qt::Key_Space);
    EXPECT_TRUE(screen->model().rowForKey("caches")->selected());
    EXPECT_TRUE(nextButton()->isEnabled());
    QTest::keyClick(table(), Qt::Key_Space);
    EXPECT_FALSE(screen->model().rowForKey("caches")->selected());
}

// The sidebar holds no widget per row: its switches are drawn into the cells.
TEST_F(ResultsScreenTest, EveryFinishedRowShowsItsSwitchDrawnInItsState) {
    scan({std::make_shared<ListedItem>("caches", home.path() + "/junk", cacheFiles()),
          std::make_shared<ListedItem>("other", home.path() + "/junk", cacheFiles())});
    clickSwitch(0);
    table()->clearSelection();
    QApplication::processEvents();
    const QImage sidebar = table()->viewport()->grab().toImage();
    const auto trackStart = [&](int row) {
        const QRect cell =
            table()->visualRect(screen->model().index(row, SWResultsSidebarModel::EnableColumn));
        const QRect track = SWSidebarItemDelegate::switchRect(cell);
        return sidebar.pixelColor(track.left() + 5, track.center().y());
    };
    const QColor background = sidebar.pixelColor(2, 2);
    EXPECT_NE(trackStart(0), background) << "the switched-on row shows no switch";
    EXPECT_NE(trackStart(0), trackStart(1)) << "on and off switches look the same";
    EXPECT_TRUE(table()->findChildren<TGSwitch*>().isEmpty());
}

TEST_F(ResultsScreenTest, ANewScanDropsWhatTheOneBeforeWouldHaveReported) {
    scan({std::make_shared<ListedItem>("caches", home.path() + "/junk", cacheFiles())});
    desktop->notifications.clear();
    screen->startScanningSelectedVolume();
    screen->startScanningSelectedVolume();
    ASSERT_TRUE(waitUntil([&] { return !screen->model().isScanning(); }));
    EXPECT_EQ(desktop->notifications.size(), 1);
}

// The pane takes the new scan's screen as soon as the scan starts: the old list's ticks
// would not reach the entries the next removal works on.
TEST_F(ResultsScreenTest, ARescanReplacesTheShownDetailScreenAtOnce) {
    scan({std::make_shared<ListedItem>("caches", home.path() + "/junk", cacheFiles())});
    table()->selectRow(0);
    const auto before = screen->currentViewController();
    ASSERT_TRUE(before && before->row());
    screen->startScanningSelectedVolume();
    EXPECT_NE(screen->currentViewController(), before);
    EXPECT_FALSE(before->model().setFileSelected(0, false));
    ASSERT_TRUE(waitUntil([&] { return !screen->model().isScanning(); }));
    EXPECT_EQ(screen->currentViewController()->row(), screen->model().rowForKey("caches"));
}

TEST_F(ResultsScreenTest, NothingFoundAnywhereKeepsTheTotalsHiddenAndTheNotificationQuiet) {
    scan({std::make_shared<ListedItem>("a", home.path() + "/none", QStringList()),
          std::make_shared<ListedItem>("b", home.path() + "/none", QStringList())});
    EXPECT_EQ(desktop->notifications, QStringList{"Scan Complete|"});
    EXPECT_FALSE(
        screen->view()->findChild<QWidget*>(QStringLiteral("totalsContainerView"))->isVisible());
}

// The screens as a person sees them, in both themes.
TEST_F(ResultsScreenTest, Screenshots) {
    const QString folder = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const bool dark : {false, true}) {
        useTheme(dark);
        const QString theme = dark ? "dark" : "light";
        SWUserDefaults::standardUserDefaults().setSelectedStates(std::nullopt);
        scan({std::make_shared<ListedItem>("application-caches", home.path() + "/junk",
                                           cacheFiles()),
              std::make_shared<ListedItem>("trash", home.path() + "/none", QStringList())});
        clickSwitch(0);
        QWidget* totals =
            screen->view()->findChild<QWidget*>(QStringLiteral("totalsContainerView"));
        ASSERT_TRUE(waitUntil([&] {
            auto* fade = static_cast<QGraphicsOpacityEffect*>(totals->graphicsEffect());
            return fade->opacity() == 1.0;
        }));
        EXPECT_TRUE(window.grab().save(folder + "/results-" + theme + ".png"));
        QTest::mouseClick(nextButton(), Qt::LeftButton);
        auto* question = window.findChild<QAbstractButton*>(QStringLiteral("cancelButton"));
        ASSERT_TRUE(question);
        ASSERT_TRUE(waitUntil([&] {
            return question->isVisible() && !screen->timeMachinePopoverController()->animation();
        }));
        EXPECT_TRUE(window.grab().save(folder + "/results-confirmation-" + theme + ".png"));
        QTest::mouseClick(question, Qt::LeftButton);
        ASSERT_TRUE(waitUntil([&] { return nextButton()->isEnabled() && !question->isVisible(); }));
        screen->startScanningSelectedVolume();
        QApplication::processEvents();
        EXPECT_TRUE(window.grab().save(folder + "/results-scanning-" + theme + ".png"));
        ASSERT_TRUE(waitUntil([&] { return !screen->model().isScanning(); }));
        scan({std::make_shared<ListedItem>("trash", home.path() + "/none", QStringList())});
        EXPECT_TRUE(window.grab().save(folder + "/results-nothing-found-" + theme + ".png"));
    }
}

}  // namespace
