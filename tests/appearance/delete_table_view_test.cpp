#include <gtest/gtest.h>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>

#include "appearance/kp_delete_table_view.h"

namespace {

class RecordingDelegate : public KPDeleteTableViewDelegate {
public:
    QList<KPDeleteTableView*> calls;
    void tableViewDeleteFromKeyboard(KPDeleteTableView* tableView) override { calls << tableView; }
};

// A window that records the keys reaching it, beside the table and a field that has the
// focus first.
class Window : public QWidget {
public:
    QStandardItemModel model{5, 2};
    KPDeleteTableView* table = new KPDeleteTableView(this);
    QLineEdit* field = new QLineEdit(this);
    QList<int> keysReachingWindow;

    Window() {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(field);
        layout->addWidget(table);
        table->setModel(&model);
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::ExtendedSelection);
        table->setContextMenuPolicy(Qt::CustomContextMenu);
        resize(300, 300);
        show();
        table->setCurrentIndex(model.index(0, 0));
    }

    QList<int> selectedRows() const {
        QList<int> rows;
        for (const QModelIndex& index : table->selectionModel()->selectedRows()) {
            rows << index.row();
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    // A right click as Qt delivers it: a context menu event on the viewport.
    void rightClickRow(int row) {
        const QPoint pos = table->visualRect(model.index(row, 0)).center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, table->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(table->viewport(), &event);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override { keysReachingWindow << event->key(); }
};

TEST(DeleteTableViewTest, DeleteKeysGoToTheDelegateWithTheTableAndOtherKeysMoveTheRow) {
    Window window;
    RecordingDelegate delegate;
    window.table->setDeleteDelegate(&delegate);
    QTest::keyClick(window.table, Qt::Key_Delete);
    QTest::keyClick(window.table, Qt::Key_Backspace);
    EXPECT_EQ(delegate.calls, (QList<KPDeleteTableView*>{window.table, window.table}));
    EXPECT_EQ(window.table->currentIndex().row(), 0);

    QTest::keyClick(window.table, Qt::Key_Down);
    EXPECT_EQ(window.table->currentIndex().row(), 1);
    EXPECT_EQ(delegate.calls.size(), 2);
    EXPECT_TRUE(window.keysReachingWindow.isEmpty());
}

// Without a delegate nobody acts on the keys; they must not reach the window either,
// where a delete key could mean something else.
TEST(DeleteTableViewTest, WithoutADelegateTheDeleteKeysAreSwallowed) {
    Window window;
    QTest::keyClick(window.table, Qt::Key_Delete);
    QTest::keyClick(window.table, Qt::Key_Backspace);
    EXPECT_TRUE(window.keysReachingWindow.isEmpty());
    QTest::keyClick(window.table, Qt::Key_F5);
    EXPECT_EQ(window.keysReachingWindow, QList<int>{Qt::Key_F5});
}

TEST(DeleteTableViewTest, ARightClickOutsideTheSelectionSelectsThatRowAloneAndOpensTheMenu) {
    Window window;
    QSignalSpy menus(window.table, &QWidget::customContextMenuRequested);
    window.table->selectRow(0);
    window.field->setFocus();
    window.rightClickRow(3);
    EXPECT_EQ(window.selectedRows(), QList<int>{3});
    EXPECT_EQ(window.table->currentIndex().row(), 3);
    EXPECT_EQ(window.focusWidget(), window.table);
    ASSERT_EQ(menus.count(), 1);
    EXPECT_EQ(window.table->indexAt(menus[0][0].toPoint()).row(), 3);
}

TEST(DeleteTableViewTest, ARightClickInsideTheSelectionKeepsEveryRowOfIt) {
    Window window;
    QSignalSpy menus(window.table, &QWidget::customContextMenuRequested);
    window.table->selectionModel()->select(
        QItemSelection(window.model.index(1, 0), window.model.index(3, 1)),
        QItemSelectionModel::ClearAndSelect);
    window.rightClickRow(2);
    EXPECT_EQ(window.selectedRows(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(menus.count(), 1);
}

// The menu key opens the menu for the row the keyboard is on.
TEST(DeleteTableViewTest, AMenuFromTheKeyboardSelectsTheCurrentRow) {
    Window window;
    QSignalSpy menus(window.table, &QWidget::customContextMenuRequested);
    window.table->selectRow(1);
    window.table->selectionModel()->setCurrentIndex(window.model.index(4, 0),
                                                    QItemSelectionModel::NoUpdate);
    const QPoint pos = window.table->visualRect(window.model.index(4, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, pos, window.table->mapToGlobal(pos));
    QApplication::sendEvent(window.table, &event);
    EXPECT_EQ(window.selectedRows(), QList<int>{4});
    EXPECT_EQ(menus.count(), 1);
}

}  // namespace
