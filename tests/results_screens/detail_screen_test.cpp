#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include "appearance/kp_image_view.h"
#include "appearance/kp_theme_manager.h"
#include "appearance/kp_view.h"
#include "appearance/kp_yosemite_button.h"
#include "appearance/theme_selection.h"
#include "base/notification_center.h"
#include "base/sw_user_defaults.h"
#include "engine/categories/login_item_file.h"
#include "engine/categories/login_items_item.h"
#include "platform/file_path.h"
#include "platform/xdg_autostart.h"
#include "results/screens/sw_detail_row_view.h"
#include "results/screens/sw_detail_view_controller.h"
#include "results/screens/sw_hover_view.h"
#include "results/screens/sw_preview_panel.h"
#include "results/screens/sw_results_view_controller.h"
#include "results/screens/sw_selection_popover_controller.h"
#include "tests/results_screens/recording_desktop.h"
#include "tests/support/fake_platform.h"
#include "tests/support/fixture_home.h"

namespace {

// A login item that records its switching instead of starting anything.
class RecordingLoginItem : public QSScannedFile {
public:
    void setSelected(bool selected) override {
        switches.append(selected);
        QSScannedFile::setSelected(selected);
    }
    QList<bool> switches;
};

class DetailScreenTest : public ::testing::Test {
protected:
    FixtureHome home;
    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    // The pane of the results screen, where the screen is shown.
    KPThemableView window;
    SWResultRowPtr row;
    std::shared_ptr<SWDetailViewController> screen;
    QStringList refreshes;
    QMetaObject::Connection refreshObserver;

    void SetUp() override {
        SWThemeSelection::registerThemes();
        KPThemeManager::sharedManager().changeTheme("SWLightTheme");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SWDesktop::setShared(desktop);
        SWUserDefaults::standardUserDefaults().setSelectedStates(std::nullopt);
        window.resize(640, 480);
        window.setBackgroundColorKey("windowColor");
        refreshObserver = QObject::connect(
            &NotificationCenter::defaultCenter(), &NotificationCenter::notificationPosted,
            [this](const QString& name, const void*) { refreshes << name; });
    }
    void TearDown() override {
        QObject::disconnect(refreshObserver);
        if (SWPreviewPanel* panel = SWPreviewPanel::existingPreviewPanel()) panel->orderOut();
        screen.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SWDesktop::setShared(nullptr);
        QLocale::setDefault(QLocale::system());
    }

    QSScannedFilePtr file(const QString& name, quint64 size, const QDateTime& modified = {}) {
        auto made = std::make_shared<QSScannedFile>();
        made->setPath(home.file("files/" + name, size, modified));
        made->setFileName(name);
        made->setFileSize(size);
        made->setModificationDate(modified);
        return made;
    }
    // Shows the category's screen in a window, as the results screen does.
    void show(const QString& key, const QList<QSScannedFilePtr>& files) {
        row = SWResultRow::rowWithScanResult(
            std::make_shared<QSScanResult>(key, key, 0, files, home.path()));
        if (screen) screen->view()->hide();
        screen = SWDetailViewController::controllerWithRow(row);
        screen->view()->setParent(&window);
        screen->view()->resize(window.size());
        screen->view()->show();
        window.show();
        ASSERT_TRUE(waitUntil([&] { return screen->currentView() != outlet("loadingView"); }));
        QApplication::processEvents();
    }
    QWidget* outlet(const char* name) const {
        return screen->view()->findChild<QWidget*>(QLatin1String(name));
    }
    QStringList shownNames() const {
        QStringList names;
        for (const auto& each : screen->model().detailArray())
            names << each->fileName();
        return names;
    }
    QStringList visibleArrows() const {
        QStringList arrows;
        for (const char* name :
             {"nameSortDirectionImageView", "sizeSortDirectionImageView", "dateOrderImage"}) {
            if (outlet(name)->isVisibleTo(screen->view())) arrows << name;
        }
        return arrows;
    }
    QRect cell(int index, int column) const {
        return screen->tableView()->visualRect(screen->model().index(index, column));
    }
    void clickCheck(int index) {
        QTest::mouseClick(screen->tableView()->viewport(), Qt::LeftButton, {},
                          cell(index, SWDetailTableModel::CheckBoxColumn).center());
    }
    void hover(int index) {
        const QPoint point = cell(index, SWDetailTableModel::NameColumn).center();
        QMouseEvent move(QEvent::MouseMove, point,
                         screen->tableView()->viewport()->mapToGlobal(point), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(screen->tableView()->viewport(), &move);
    }
    int revealedRow() const {
        return static_cast<SWDetailRowView*>(screen->tableView()->itemDelegate())->revealedRow();
    }
};

TEST_F(DetailScreenTest, OpensLargestFirstAndTheHeadersSortAsClicked) {
    show("caches", {file("beta", 20), file("Alpha", 300), file("gamma", 10)});
    EXPECT_EQ(screen->currentView(), outlet("detailsView"));
    EXPECT_EQ(shownNames(), (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(visibleArrows(), QStringList{"sizeSortDirectionImageView"});
    EXPECT_EQ(screen->model().sortDirection(), SWDetailTableModel::Descending);
    EXPECT_FALSE(outlet("dateHeader")->isVisibleTo(screen->view()));
    EXPECT_TRUE(screen->tableView()->isColumnHidden(SWDetailTableModel::DateColumn));

    auto* nameHeader = static_cast<SWHoverView*>(outlet("nameHeader"));
    QTest::mouseClick(nameHeader, Qt::LeftButton);
    EXPECT_EQ(shownNames(), (QStringList{"Alpha", "beta", "gamma"}));
    EXPECT_EQ(visibleArrows(), QStringList{"nameSortDirectionImageView"});
    QTest::mouseClick(nameHeader, Qt::LeftButton);
    EXPECT_EQ(shownNames(), (QStringList{"gamma", "beta", "Alpha"}));
    QTest::mouseClick(outlet("sizeHeader"), Qt::LeftButton);
    EXPECT_EQ(shownNames(), (QStringList{"gamma", "beta", "Alpha"}));
    EXPECT_EQ(screen->model().sortDirection(), SWDetailTableModel::Ascending);
    EXPECT_EQ(visibleArrows(), QStringList{"sizeSortDirectionImageView"});
    // The headers sit over their columns.
    EXPECT_EQ(outlet("sizeHeader")->width(),
              screen->tableView()->columnWidth(SWDetailTableModel::SizeColumn));
}

TEST_F(DetailScreenTest, AgeCategoriesOpenOldestFirstWithTheirDateColumn) {
    auto older = file("Old.app", 10);
    older->setLastUsedDate(QDateTime(QDate(2023, 1, 5), QTime(8, 0)));
    auto newer = file("New.app", 20);
    newer->setLastUsedDate(QDateTime(QDate(2024, 2, 6), QTime(8, 0)));
    show("unused-apps", {newer, older});
    EXPECT_TRUE(dynamic_cast<SWAgingAppsDetailViewController*>(screen.get()));
    EXPECT_EQ(shownNames(), (QStringList{"Old.app", "New.app"}));
    EXPECT_EQ(visibleArrows(), QStringList{"dateOrderImage"});
    EXPECT_FALSE(screen->tableView()->isColumnHidden(SWDetailTableModel::DateColumn));
    EXPECT_EQ(static_cast<QLabel*>(outlet("dateLabel"))->text(), u"Last Used");
    QTest::mouseClick(outlet("dateHeader"), Qt::LeftButton);
    EXPECT_EQ(shownNames(), (QStringList{"New.app", "Old.app"}));

    show("screenshots", {file("Screenshot b.png", 10, QDateTime(QDate(2024, 5, 2), QTime(9, 0))),
                         file("Screenshot a.png", 10, QDateTime(QDate(2024, 5, 1), QTime(9, 0)))});
    EXPECT_EQ(shownNames(), (QStringList{"Screenshot a.png", "Screenshot b.png"}));
    EXPECT_EQ(static_cast<QLabel*>(outlet("dateLabel"))->text(), u"Date Modified");
    EXPECT_EQ(screen->model().index(0, SWDetailTableModel::DateColumn).data().toString(),
              u"May 1, 2024, 9:00:00 AM");
}

TEST_F(DetailScreenTest, ACheckBoxClickTicksTheFileUnderThePointerAndSwitchesTheCategoryOn) {
    show("downloads", {file("big", 300), file("small", 10)});
    ASSERT_FALSE(row->selected());
    // Sorting after the table was filled must not make a click reach the file that used
    // to be in that place.
    QTest::mouseClick(outlet("sizeHeader"), Qt::LeftButton);
    clickCheck(0);
    EXPECT_TRUE(screen->model().fileAtRow(0)->selected());
    EXPECT_EQ(screen->model().fileAtRow(0)->fileName(), u"small");
    EXPECT_FALSE(screen->model().fileAtRow(1)->selected());
    EXPECT_TRUE(row->selected());
    EXPECT_EQ(refreshes, QStringList{"RefreshSidebar"});
    clickCheck(0);
    EXPECT_FALSE(screen->model().fileAtRow(0)->selected());
    EXPECT_TRUE(row->selected()) << "clearing a file never switches its category off";

    // Below the last row, and in the name column, a click ticks nothing.
    refreshes.clear();
    QTest::mouseClick(screen->tableView()->viewport(), Qt::LeftButton, {},
                      QPoint(cell(0, SWDetailTableModel::CheckBoxColumn).center().x(),
                             screen->tableView()->viewport()->height() - 2));
    QTest::mouseClick(screen->tableView()->viewport(), Qt::LeftButton, {},
                      cell(1, SWDetailTableModel::NameColumn).center());
    EXPECT_EQ(row->selectedSize(), 0u);
    EXPECT_TRUE(refreshes.isEmpty());

    // The keyboard does what the pointer does.
    screen->tableView()->setFocus();
    screen->tableView()->setCurrentIndex(screen->model().index(1, 0));
    QTest::keyClick(screen->tableView(), Qt::Key_Space);
    EXPECT_TRUE(screen->model().fileAtRow(1)->selected());
}

TEST_F(DetailScreenTest, SelectAllAndDeselectAllThroughThePopoverLeaveTheSwitchAlone) {
    show("downloads", {file("a", 30), file("b", 20)});
    QTest::mouseClick(outlet("selectButton"), Qt::LeftButton);
    const auto popover = screen->selectionPopoverController();
    ASSERT_TRUE(popover);
    QTest::mouseClick(outlet("selectButton"), Qt::LeftButton);
    EXPECT_EQ(screen->selectionPopoverController(), popover) << "a second popover opened";
    ASSERT_TRUE(waitUntil([&] { return !popover->animating(); }));
    popover->selectAllButton()->click();
    EXPECT_EQ(row->selectedSize(), 50u);
    EXPECT_FALSE(row->selected());
    EXPECT_EQ(refreshes, QStringList{"RefreshSidebar"});
    ASSERT_TRUE(waitUntil([&] { return !screen->selectionPopoverController(); }));

    row->setSelected(true);
    screen->handleSelectionOption(true);
    EXPECT_EQ(row->selectedSize(), 0u);
    EXPECT_TRUE(row->selected());
}

TEST_F(DetailScreenTest, LoginItemsHaveSwitchesThatActAtOnceAndNoSelectionButton) {
    auto item = std::make_shared<RecordingLoginItem>();
    item->setFileName("Agent");
    item->setFileSize(1);
    show(SWResultRow::kLoginItemsKey, {item});
    EXPECT_TRUE(dynamic_cast<SWLoginItemsDetailViewController*>(screen.get()));
    EXPECT_FALSE(outlet("selectButton")->isVisibleTo(screen->view()));
    clickCheck(0);
    EXPECT_EQ(item->switches, QList<bool>{true});
    EXPECT_TRUE(refreshes.isEmpty());
    clickCheck(0);
    EXPECT_EQ(item->switches, (QList<bool>{true, false}));
}

TEST_F(DetailScreenTest, ALoginItemSwitchActsAtOnceOnTheSessionListAndTheAutostartFolder) {
    FakePlatform platform{home.path()};
    const QString app = home.appBundle("Apps/Agent.app", "org.agent");
    platform.loginItems().insertItemLast(app, nullptr);
    auto listed = std::make_shared<QSLoginItemFile>();
    listed->setPath(app);
    listed->setFileName("Agent");
    listed->setFileSize(1);
    listed->setSelected(true, true);
    show(SWResultRow::kLoginItemsKey, {listed});
    clickCheck(0);
    EXPECT_TRUE(platform.loginItems().paths().isEmpty());
    clickCheck(0);
    EXPECT_EQ(platform.loginItems().paths(), QStringList{app});

    platform::services().loginItems = std::make_shared<platform::XdgAutostartLoginItems>(
        home.abs("config/autostart"), QStringList{home.abs("xdg/autostart")});
    const QString program = home.file("bin/tool", 1);
    const QString entry =
        home.write("config/autostart/tool.desktop", "[Desktop Entry]\nType=Application\nExec=\"" +
                                                        platform::encodePath(program) + "\"\n");
    const QSScanResultPtr result = QSLoginItemsItem::item()->actuallyScan();
    ASSERT_EQ(result->detailArray().size(), 1);
    show(SWResultRow::kLoginItemsKey, result->detailArray());
    ASSERT_EQ(screen->model().rowCount(), 1);
    ASSERT_TRUE(screen->model().fileAtRow(0)->selected());
    clickCheck(0);
    EXPECT_TRUE(readAll(entry).contains("Hidden=true"));
    clickCheck(0);
    EXPECT_FALSE(readAll(entry).contains("Hidden=true"));
}

TEST_F(DetailScreenTest, TheRevealButtonShowsOnTheHoveredRowOnlyAndRevealsItsFile) {
    auto pathless = std::make_shared<QSScannedFile>();
    pathless->setFileName("pathless");
    pathless->setFileSize(5);
    show("caches", {file("first", 30), file("second", 20), pathless});
    hover(0);
    EXPECT_EQ(revealedRow(), 0);
    hover(1);
    EXPECT_EQ(revealedRow(), 1);
    hover(2);
    EXPECT_EQ(revealedRow(), -1) << "a file without a path cannot be revealed";
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(screen->tableView()->viewport(), &leave);
    EXPECT_EQ(screen->tableView()->hoveredRow(), -1);

    hover(1);
    QTest::mouseClick(
        screen->tableView()->viewport(), Qt::LeftButton, {},
        SWDetailRowView::revealButtonRect(cell(1, SWDetailTableModel::NameColumn)).center());
    EXPECT_EQ(desktop->revealed, QStringList{screen->model().fileAtRow(1)->path()});
    screen->actuallyShowInFinder(2);
    EXPECT_EQ(desktop->beeps, 1);

    // The context menu offers its items only for a row with a path.
    screen->menuNeedsUpdate(0);
    EXPECT_TRUE(screen->contextMenu()->actions().first()->isEnabled());
    screen->menuNeedsUpdate(2);
    EXPECT_FALSE(screen->contextMenu()->actions().first()->isEnabled());
    screen->menuNeedsUpdate(-1);
    EXPECT_FALSE(screen->contextMenu()->actions().last()->isEnabled());
}

TEST_F(DetailScreenTest, FilesToLookAtPreviewInsteadOfRevealingAndTheArrowKeysMoveThePreview) {
    for (const char* key : {"large-files", "downloads", "message-attachments", "screenshots"}) {
        show(key, {file("first.txt", 30), file("second.txt", 20)});
        screen->showInFinder(0);
        SWPreviewPanel* panel = SWPreviewPanel::existingPreviewPanel();
        ASSERT_TRUE(panel && panel->isPanelVisible()) << key;
        EXPECT_TRUE(desktop->revealed.isEmpty()) << key;
        screen->showInFinder(0);
        EXPECT_FALSE(panel->isPanelVisible()) << "the same command closes it";
    }
    show("large-files", {file("first.txt", 30), file("second.txt", 20), file("third.txt", 10)});
    screen->quickLook(0);
    SWPreviewPanel* panel = SWPreviewPanel::existingPreviewPanel();
    ASSERT_TRUE(panel->isPanelVisible());
    EXPECT_EQ(screen->tableView()->currentIndex().row(), 0);
    QTest::keyClick(panel, Qt::Key_Down);
    EXPECT_EQ(screen->tableView()->currentIndex().row(), 1);
    EXPECT_EQ(panel->shownPath(), screen->model().fileAtRow(1)->path());
    QTest::keyClick(panel, Qt::Key_Down);
    EXPECT_EQ(panel->shownPath(), screen->model().fileAtRow(2)->path());
    // Leaving the screen closes the preview.
    screen->kp_setIsVisible(false);
    EXPECT_FALSE(panel->isPanelVisible());
}

TEST_F(DetailScreenTest, ScanningThenEmptyThenDetails) {
    auto placeholder = SWResultRow::rowWithScanResult(
        std::make_shared<QSScanResult>("caches", "caches", 0, QList<QSScannedFilePtr>{}, ""));
    placeholder->setIsScanning(true);
    screen = SWDetailViewController::controllerWithRow(placeholder);
    QApplication::processEvents();
    EXPECT_EQ(screen->currentView(), outlet("loadingView"));
    auto empty = SWResultRow::rowWithScanResult(
        std::make_shared<QSScanResult>("caches", "caches", 0, QList<QSScannedFilePtr>{}, ""));
    screen->setRow(empty);
    ASSERT_TRUE(waitUntil([&] { return screen->currentView() == outlet("emptyView"); }));
    // Nothing in the table: clicks, keys and hovering change nothing.
    screen->quickLook();
    screen->showInFinder(0);
    screen->tableViewDidHoverRow(screen->tableView(), 4, 7);
    EXPECT_EQ(SWPreviewPanel::existingPreviewPanel() &&
                  SWPreviewPanel::existingPreviewPanel()->isPanelVisible(),
              false);
    EXPECT_FALSE(screen->tooltipText().isEmpty());
}

// Each variant as a person sees it, with a list longer than the pane, in both themes.
TEST_F(DetailScreenTest, Screenshots) {
    const QString folder = QStringLiteral(SWEEPWELL_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(folder));
    QList<QSScannedFilePtr> many, shots, items;
    for (int i = 0; i < 40; ++i) {
        many << file(QStringLiteral("cache-entry-%1.bin").arg(i), quint64(1000 + i * 7919));
        shots << file(QStringLiteral("Screenshot from 2024-05-%1 10-11-12.png").arg(i % 28 + 1),
                      quint64(200000 + i * 1000),
                      QDateTime(QDate(2024, 5, i % 28 + 1), QTime(10, 11, 12)));
    }
    for (const char* name : {"Backup Agent", "Chat", "Clipboard Manager", "Sync"}) {
        auto item = std::make_shared<RecordingLoginItem>();
        item->setFileName(name);
        item->setFileSize(1);
        items << item;
    }
    for (const bool dark : {false, true}) {
        KPThemeManager::sharedManager().changeTheme(dark ? "SWDarkTheme" : "SWLightTheme");
        const QString theme = dark ? "dark" : "light";
        const std::pair<const char*, QList<QSScannedFilePtr>> variants[] = {
            {"application-caches", many}, {"screenshots", shots}, {"actual-login-items", items}};
        for (const auto& [key, files] : variants) {
            show(key, files);
            // Some ticked, some not; one login item off.
            for (const auto& each : files) {
                each->QSScannedFile::setSelected(each->fileName() != "Chat" &&
                                                 each->fileName().size() % 3 != 0);
            }
            hover(1);
            QApplication::processEvents();
            const QString path = folder + QStringLiteral("/detail-%1-%2.png").arg(key, theme);
            ASSERT_TRUE(window.grab().save(path)) << path.toStdString();
        }
    }
}

}  // namespace
