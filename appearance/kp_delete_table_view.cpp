#include "appearance/kp_delete_table_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>

KPDeleteTableView::KPDeleteTableView(QWidget* parent) : KPThemableTableView(parent) {}

void KPDeleteTableView::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace) {
        return KPThemableTableView::keyPressEvent(event);
    }
    // Accepted even without a delegate: a window's own use of the key (closing a pane,
    // going back) must not fire while the table has the focus.
    event->accept();
    if (deleteDelegate_) deleteDelegate_->tableViewDeleteFromKeyboard(this);
}

// Menus opened with the keyboard reach the table itself and act on the current row; a
// mouse there (header, scroll bars, frame) is not over a row.
bool KPDeleteTableView::event(QEvent* event) {
    if (event->type() == QEvent::ContextMenu) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        const bool byKeyboard = menuEvent->reason() == QContextMenuEvent::Keyboard;
        prepareContextMenu(byKeyboard ? currentIndex() : QModelIndex());
    }
    return KPThemableTableView::event(event);
}

// Menus opened with the mouse over the rows reach the viewport, in its coordinates. Qt
// then sends the event on to the table's own handling (its menu policy), which
// `event` above does not see again.
bool KPDeleteTableView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ContextMenu) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        const bool byKeyboard = menuEvent->reason() == QContextMenuEvent::Keyboard;
        prepareContextMenu(byKeyboard ? currentIndex() : indexAt(menuEvent->pos()));
    }
    return KPThemableTableView::viewportEvent(event);
}

// The menu acts on the selection, so a row clicked outside it becomes the selection;
// a row inside it keeps the rows chosen before.
void KPDeleteTableView::prepareContextMenu(const QModelIndex& clicked) {
    if (clicked.isValid() && selectionModel() &&
        !selectionModel()->rowIntersectsSelection(clicked.row(), clicked.parent())) {
        selectionModel()->setCurrentIndex(
            clicked, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    setFocus(Qt::PopupFocusReason);
}
