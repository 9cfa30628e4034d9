#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTimeZone>

#include "base/sw_user_defaults.h"
#include "results/sw_detail_table_model.h"
#include "results/sw_result_row.h"

namespace {

QSScannedFilePtr file(const QString& name, quint64 size, bool selected = false) {
    auto made = std::make_shared<QSScannedFile>();
    made->setFileName(name);
    made->setFileSize(size);
    made->setPath(QStringLiteral("/home/u/") + name);
    made->setSelected(selected);
    return made;
}

SWResultRowPtr rowOf(const QString& key, const QList<QSScannedFilePtr>& files) {
    quint64 total = 0;
    for (const auto& f : files)
        total += f->fileSize();
    return SWResultRow::rowWithScanResult(
        std::make_shared<QSScanResult>(key, key, total, files, QStringLiteral("/x")));
}

QDateTime day(int year, int month, int dayOfMonth, int hour = 12) {
    return QDateTime(QDate(year, month, dayOfMonth), QTime(hour, 4, 5));
}

QStringList names(const SWDetailTableModel& model) {
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row) {
        shown.append(model.index(row, SWDetailTableModel::NameColumn).data().toString());
    }
    return shown;
}

bool ticked(const SWDetailTableModel& model, int row) {
    return model.index(row, SWDetailTableModel::CheckBoxColumn).data(Qt::CheckStateRole) ==
           Qt::Checked;
}

// A login item that records the switching instead of starting anything.
class RecordingLoginItem : public QSScannedFile {
public:
    void setSelected(bool selected) override {
        switches.append(selected);
        QSScannedFile::setSelected(selected);
    }
    QList<bool> switches;
};

class DetailTableModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SWUserDefaults::standardUserDefaults().setSelectedStates(std::nullopt);
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(DetailTableModelTest, OpensLargestFirstAndHeaderClicksSortByNameThenSize) {
    auto row = rowOf(QStringLiteral("caches"),
                     {file("banana", 20), file("Apple", 300), file("cherry", 20), file("", 5)});
    SWDetailTableModel model(SWDetailTableModel::variantForKey(row->key()));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRow(row);
    EXPECT_EQ(model.sortOption(), SWDetailTableModel::SortBySize);
    EXPECT_EQ(model.sortDirection(), SWDetailTableModel::Descending);
    // Equal sizes keep the order they came in.
    EXPECT_EQ(names(model), (QStringList{"Apple", "banana", "cherry", "Missing File Name"}));

    model.clickSortColumn(SWDetailTableModel::SortByName);
    EXPECT_EQ(names(model), (QStringList{"Missing File Name", "Apple", "banana", "cherry"}));
    model.clickSortColumn(SWDetailTableModel::SortByName);
    EXPECT_EQ(model.sortDirection(), SWDetailTableModel::Descending);
    EXPECT_EQ(names(model), (QStringList{"cherry", "banana", "Apple", "Missing File Name"}));
    model.clickSortColumn(SWDetailTableModel::SortBySize);
    EXPECT_EQ(model.sortDirection(), SWDetailTableModel::Ascending);
    EXPECT_EQ(names(model), (QStringList{"Missing File Name", "cherry", "banana", "Apple"}));

    EXPECT_EQ(model.index(3, SWDetailTableModel::SizeColumn).data().toString(), u"300.00 bytes");
    EXPECT_EQ(model.index(3, SWDetailTableModel::NameColumn).data(Qt::ToolTipRole).toString(),
              u"/home/u/Apple");
}

TEST_F(DetailTableModelTest, AgeCategoriesSortByTheirOwnDatesAndShowThem) {
    auto oldApp = file("Old.app", 10);
    oldApp->setLastUsedDate(day(2023, 1, 5));
    oldApp->setModificationDate(day(2025, 1, 1));
    auto newApp = file("New.app", 20);
    newApp->setLastUsedDate(day(2024, 3, 9));
    auto neverUsed = file("Never.app", 30);
    auto apps = rowOf(QStringLiteral("unused-apps"), {newApp, neverUsed, oldApp});
    SWDetailTableModel appsModel(SWDetailTableModel::variantForKey(apps->key()));
    appsModel.setSort(SWDetailTableModel::SortByDate, SWDetailTableModel::Ascending);
    appsModel.setRow(apps);
    EXPECT_EQ(names(appsModel), (QStringList{"Never.app", "Old.app", "New.app"}));
    EXPECT_EQ(appsModel.index(0, SWDetailTableModel::DateColumn).data().toString(), u"---");
    EXPECT_EQ(appsModel.index(1, SWDetailTableModel::DateColumn).data().toString(), u"Jan 5, 2023");
    EXPECT_EQ(appsModel.headerData(SWDetailTableModel::DateColumn, Qt::Horizontal).toString(),
              u"Last Used");

    auto first = file("Screenshot 1.png", 10);
    first->setModificationDate(day(2024, 5, 1, 9));
    auto second = file("Screenshot 2.png", 10);
    second->setModificationDate(day(2024, 5, 1, 15));
    auto shots = rowOf(QStringLiteral("screenshots"), {second, first});
    SWDetailTableModel shotsModel(SWDetailTableModel::variantForKey(shots->key()));
    shotsModel.setSort(SWDetailTableModel::SortByDate, SWDetailTableModel::Ascending);
    shotsModel.setRow(shots);
    EXPECT_EQ(names(shotsModel), (QStringList{"Screenshot 1.png", "Screenshot 2.png"}));
    EXPECT_EQ(shotsModel.index(1, SWDetailTableModel::DateColumn).data().toString(),
              u"May 1, 2024, 3:04:05 PM");
    EXPECT_EQ(shotsModel.headerData(SWDetailTableModel::DateColumn, Qt::Horizontal).toString(),
              u"Date Modified");
    shotsModel.clickSortColumn(SWDetailTableModel::SortByDate);
    EXPECT_EQ(names(shotsModel), (QStringList{"Screenshot 2.png", "Screenshot 1.png"}));
}

TEST_F(DetailTableModelTest, TickingAFileSwitchesItsCategoryOnButClearingNeverOff) {
    auto row = rowOf(QStringLiteral("downloads"), {file("a", 10), file("b", 20)});
    ASSERT_FALSE(row->selected());
    SWDetailTableModel model(SWDetailTableModel::variantForKey(row->key()));
    model.setRow(row);
    QSignalSpy changes(&model, &SWDetailTableModel::selectionChanged);

    ASSERT_TRUE(model.setData(model.index(1, SWDetailTableModel::CheckBoxColumn), Qt::Checked,
                              Qt::CheckStateRole));
    EXPECT_TRUE(row->selected());
    EXPECT_TRUE(ticked(model, 1));
    EXPECT_EQ(row->selectedSize(), 10u);
    ASSERT_TRUE(model.setFileSelected(1, false));
    EXPECT_TRUE(row->selected());
    EXPECT_FALSE(ticked(model, 1));
    EXPECT_EQ(changes.size(), 2);

    // Other columns and other roles are not editable.
    EXPECT_FALSE(model.setData(model.index(1, SWDetailTableModel::NameColumn), Qt::Checked,
                               Qt::CheckStateRole));
    EXPECT_FALSE(model.flags(model.index(0, SWDetailTableModel::NameColumn)) &
                 Qt::ItemIsUserCheckable);
}

TEST_F(DetailTableModelTest, SelectAllAndDeselectAllLeaveTheCategorySwitchAlone) {
    auto row = rowOf(QStringLiteral("downloads"), {file("a", 10), file("b", 20, true)});
    SWDetailTableModel model(SWDetailTableModel::variantForKey(row->key()));
    model.setRow(row);
    QSignalSpy changes(&model, &SWDetailTableModel::dataChanged);

    model.handleSelectionOption(false);
    EXPECT_TRUE(ticked(model, 0) && ticked(model, 1));
    EXPECT_FALSE(row->selected());
    row->setSelected(true);
    model.handleSelectionOption(true);
    EXPECT_FALSE(ticked(model, 0) || ticked(model, 1));
    EXPECT_TRUE(row->selected());
    EXPECT_EQ(changes.size(), 2);
}

TEST_F(DetailTableModelTest, LoginItemsSwitchAtOnceSortByStateAndAreNeverSwitchedAllAtOnce) {
    auto beta = std::make_shared<RecordingLoginItem>();
    beta->setFileName(QStringLiteral("beta"));
    beta->setFileSize(1);
    auto alpha = std::make_shared<RecordingLoginItem>();
    alpha->setFileName(QStringLiteral("alpha"));
    alpha->setFileSize(1);
    auto gamma = std::make_shared<RecordingLoginItem>();
    gamma->setFileName(QStringLiteral("gamma"));
    gamma->setFileSize(1);
    gamma->QSScannedFile::setSelected(true);
    auto row = rowOf(QString::fromLatin1(SWResultRow::kLoginItemsKey), {beta, alpha, gamma});
    SWDetailTableModel model(SWDetailTableModel::variantForKey(row->key()));
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setRow(row);
    EXPECT_EQ(names(model), (QStringList{"gamma", "alpha", "beta"}));
    model.clickSortColumn(SWDetailTableModel::SortBySize);
    EXPECT_EQ(names(model), (QStringList{"alpha", "beta", "gamma"}));

    QSignalSpy changes(&model, &SWDetailTableModel::selectionChanged);
    const bool rowWasSelected = row->selected();
    ASSERT_TRUE(model.setFileSelected(0, true));
    EXPECT_EQ(alpha->switches, QList<bool>{true});
    EXPECT_EQ(row->selected(), rowWasSelected);
    EXPECT_TRUE(changes.isEmpty());

    model.handleSelectionOption(true);
    model.handleSelectionOption(false);
    EXPECT_EQ(alpha->switches, QList<bool>{true});
    EXPECT_TRUE(beta->switches.isEmpty());
    EXPECT_TRUE(gamma->switches.isEmpty());
}

TEST_F(DetailTableModelTest, AListWhoseRowIsGoneOrAnIndexOutsideItIsNeverEdited) {
    auto kept = file("kept", 10);
    SWDetailTableModel model(SWDetailTableModel::Variant::Standard);
    {
        auto row = rowOf(QStringLiteral("caches"), {kept});
        model.setRow(row);
        EXPECT_FALSE(model.setFileSelected(-1, true));
        EXPECT_FALSE(model.setFileSelected(1, true));
        EXPECT_EQ(model.fileAtRow(1), nullptr);
    }
    // The results screen dropped the row: a new scan is under way.
    EXPECT_FALSE(model.setFileSelected(0, true));
    model.handleSelectionOption(false);
    EXPECT_FALSE(kept->selected());

    SWDetailTableModel empty(SWDetailTableModel::Variant::Standard);
    QAbstractItemModelTester tester(&empty, QAbstractItemModelTester::FailureReportingMode::Fatal);
    empty.setRow(rowOf(QStringLiteral("caches"), {}));
    EXPECT_EQ(empty.rowCount(), 0);
    empty.handleSelectionOption(false);
    empty.clickSortColumn(SWDetailTableModel::SortByName);
    EXPECT_FALSE(empty.index(0, 0).isValid());
}

}  // namespace
