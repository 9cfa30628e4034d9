#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>

#include "base/sw_user_defaults.h"
#include "results/sw_result_row.h"
#include "results/sw_results_sidebar_model.h"

namespace {

QSScannedFilePtr file(quint64 size, bool selected = false) {
    auto made = std::make_shared<QSScannedFile>();
    made->setFileName(QStringLiteral("file-%1").arg(size));
    made->setFileSize(size);
    made->setSelected(selected);
    return made;
}

QSScanResultPtr result(const QString& key, QList<QSScannedFilePtr> files) {
    quint64 total = 0;
    for (const auto& f : files)
        total += f->fileSize();
    return std::make_shared<QSScanResult>(key.toUpper(), key, total, files, QStringLiteral("/x"));
}

// A category of the sidebar: only its title and key matter here.
class NamedItem : public QSScanItem {
public:
    explicit NamedItem(QString key) : key_(std::move(key)) {}
    QString title() const override { return key_.toUpper(); }
    QString key() const override { return key_; }

private:
    QString key_;
};

QList<std::shared_ptr<QSScanItem>> items(const QStringList& keys) {
    QList<std::shared_ptr<QSScanItem>> made;
    for (const QString& key : keys)
        made.append(std::make_shared<NamedItem>(key));
    return made;
}

class ResultsRowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SWUserDefaults::standardUserDefaults().setSelectedStates(std::nullopt);
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    static void remember(const QString& key, bool on) {
        SWUserDefaults::standardUserDefaults().setSelectedStates(QVariantMap{{key, on}});
    }
};

TEST_F(ResultsRowsTest, ARowShowsItsFilesLargestFirstAndDropsEmptyOnes) {
    auto row = SWResultRow::rowWithScanResult(result("a", {file(10), file(0), file(300)}));
    ASSERT_EQ(row->details().size(), 2);
    EXPECT_EQ(row->details().at(0)->fileSize(), 300u);
    EXPECT_EQ(row->totalSize(), 310u);
    EXPECT_EQ(row->totalSizeString(), u"310.00 bytes");
    EXPECT_TRUE(row->enabled());

    auto empty = SWResultRow::rowWithScanResult(result("b", {file(0), file(0)}));
    EXPECT_TRUE(empty->details().isEmpty());
    EXPECT_EQ(empty->totalSize(), 0u);
    EXPECT_FALSE(empty->enabled());
}

TEST_F(ResultsRowsTest, TheSwitchFollowsTheUsersLastChoiceAndNeverADisabledResult) {
    EXPECT_FALSE(SWResultRow::rowWithScanResult(result("trash", {file(5)}))->selected());
    remember("trash", true);
    EXPECT_TRUE(SWResultRow::rowWithScanResult(result("trash", {file(5)}))->selected());
    auto disabled = result("trash", {file(5)});
    disabled->setDisabled(true);
    auto row = SWResultRow::rowWithScanResult(disabled);
    EXPECT_FALSE(row->selected());
    EXPECT_FALSE(row->enabled());
}

TEST_F(ResultsRowsTest, DefaultTicksComeFromTheResourceAndSpareOverridesAndLoginItems) {
    auto overridden = file(7);
    overridden->setHasSelectedOverride(true);
    auto row = SWResultRow::rowWithScanResult(result("trash", {file(5), overridden}));
    EXPECT_EQ(row->selectedDetails().size(), 1);
    EXPECT_EQ(row->selectedSize(), 5u);

    auto downloads = SWResultRow::rowWithScanResult(result("downloads", {file(5)}));
    EXPECT_TRUE(downloads->selectedDetails().isEmpty());

    // A tick of a login item would switch a start-up program on.
    auto loginItem = file(3);
    auto loginItems = std::make_shared<QSUnremovableScanResult>(
        "Login Items", SWResultRow::kLoginItemsKey, 3, QList<QSScannedFilePtr>{loginItem}, "large");
    SWResultRow::rowWithScanResult(loginItems);
    EXPECT_FALSE(loginItem->selected());
}

class SidebarTest : public ResultsRowsTest {
protected:
    SWResultsSidebarModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

    void SetUp() override {
        ResultsRowsTest::SetUp();
        model.reloadData(items({"a", "b", "c", "d", "e"}));
    }
    QStringList order() const {
        QStringList keys = model.resultsOrderKeys();
        std::replace(keys.begin(), keys.end(), QString(), QStringLiteral("--"));
        return keys;
    }
    QString detail(int row) const {
        return model.index(row, SWResultsSidebarModel::DetailColumn)
            .data(SWResultsSidebarModel::DetailTextRole)
            .toString();
    }
};

TEST_F(SidebarTest, EmptyCategoriesGoUnderTheHeadingInCategoryOrderWhateverTheirFinish) {
    EXPECT_EQ(detail(0), u"Scanning...");
    model.scanItemFinished(result("d", {}));
    EXPECT_EQ(order(), (QStringList{"a", "b", "c", "e", "--", "d"}));
    model.scanItemFinished(result("b", {}));
    model.scanItemFinished(result("c", {file(4)}));
    model.scanItemFinished(result("e", {file(0)}));
    model.scanItemFinished(result("a", {}));
    EXPECT_EQ(order(), (QStringList{"c", "--", "a", "b", "d", "e"}));
    EXPECT_TRUE(model.isGroupRow(1));
    EXPECT_EQ(model.rowAtIndex(1), nullptr);
    EXPECT_EQ(model.index(1, 0).data().toString(), u"NOTHING FOUND");
    EXPECT_EQ(detail(2), u"No Items Found");
    EXPECT_EQ(model.index(2, SWResultsSidebarModel::EnableColumn).data(Qt::CheckStateRole),
              QVariant(Qt::Unchecked));
    EXPECT_FALSE(model.flags(model.index(2, SWResultsSidebarModel::EnableColumn)) &
                 Qt::ItemIsUserCheckable);
}

TEST_F(SidebarTest, ASelectedRowThatMovesStaysSelected) {
    QItemSelectionModel selection(&model);
    selection.select(model.index(1, 0),
                     QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    model.scanItemFinished(result("b", {}));
    ASSERT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(model.rowAtIndex(selection.selectedRows().at(0).row())->key(), u"b");
}

TEST_F(SidebarTest, SwitchesAreStoredPerCategoryAndOnlyForRowsThatCanBeSwitched) {
    model.scanItemFinished(result("a", {file(2000, true)}));
    model.scanItemFinished(result("b", {}));
    EXPECT_EQ(detail(0), u"0.0 bytes of 2.00 KB");
    ASSERT_TRUE(model.setData(model.index(0, SWResultsSidebarModel::EnableColumn), Qt::Checked,
                              Qt::CheckStateRole));
    EXPECT_EQ(detail(0), u"2.00 KB of 2.00 KB");
    EXPECT_EQ(SWUserDefaults::standardUserDefaults().selectedStates()->value("a"), QVariant(true));
    // Scanning, empty and heading rows cannot be switched on.
    const int b = model.indexOfKey("b");
    EXPECT_FALSE(model.setRowSelected(b, true));
    EXPECT_FALSE(model.setRowSelected(b - 1, true));
    EXPECT_FALSE(model.setRowSelected(model.indexOfKey("c"), true));
    EXPECT_FALSE(model.setRowSelected(99, true));
    EXPECT_FALSE(SWUserDefaults::standardUserDefaults().selectedStates()->contains("b"));
}

TEST_F(SidebarTest, TheRemoveButtonWaitsForTheWholeScanAndForSomethingTicked) {
    remember("a", true);
    model.scanItemFinished(result("a", {file(5, true)}));
    auto state = model.nextButtonState(true, false);
    EXPECT_EQ(state.title, u"Scanning...");
    EXPECT_FALSE(state.enabled);
    EXPECT_EQ(state.width, 100.0);
    for (const char* key : {"b", "c", "d", "e"})
        model.scanItemFinished(result(key, {}));
    state = model.nextButtonState(true, false);
    EXPECT_EQ(state.title, u"Remove Selected Files");
    EXPECT_TRUE(state.enabled);
    EXPECT_EQ(state.width, 169.0);
    EXPECT_FALSE(model.nextButtonState(true, true).enabled);
    state = model.nextButtonState(false, false);
    EXPECT_EQ(state.title, u"Drive Unavailable");
    EXPECT_FALSE(state.enabled);
    model.rowForKey("a")->details().at(0)->setSelected(false);
    EXPECT_FALSE(model.nextButtonState(true, false).enabled);
}

TEST_F(SidebarTest, LoginItemsCountEntriesHaveNoSwitchAndStayOutOfTheTotals) {
    model.reloadData(items({"trash", SWResultRow::kLoginItemsKey}));
    remember(SWResultRow::kLoginItemsKey, true);
    model.scanItemFinished(
        std::make_shared<QSUnremovableScanResult>("Login Items", SWResultRow::kLoginItemsKey, 9,
                                                  QList<QSScannedFilePtr>{file(9, true)}, "large"));
    remember("trash", true);
    model.scanItemFinished(result("trash", {file(1000), file(500)}));
    EXPECT_EQ(detail(1), u"1 item");
    EXPECT_FALSE(model.index(1, 2).data(SWResultsSidebarModel::ShowsSwitchRole).toBool());
    EXPECT_FALSE(model.index(1, 2).data(Qt::CheckStateRole).isValid());
    EXPECT_FALSE(model.setRowSelected(1, false));
    EXPECT_EQ(model.totalSize(), 1500u);
    EXPECT_EQ(model.selectedSize(), 1500u);
    model.reloadData(items({SWResultRow::kLoginItemsKey}));
    model.scanItemFinished(std::make_shared<QSUnremovableScanResult>(
        "Login Items", SWResultRow::kLoginItemsKey, 9, QList<QSScannedFilePtr>{file(9), file(4)},
        "large"));
    EXPECT_EQ(detail(0), u"2 items");
}

}  // namespace
